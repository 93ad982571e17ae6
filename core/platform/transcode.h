// Conversion of 8-bit text into UTF-8 by the system's own tables.
#pragma once

#include <string>
#include <string_view>

namespace ridloe {

// Appends `bytes`, read in `encoding`, to `out` as UTF-8. A byte that does not
// decode (or a lead byte cut off at the end) becomes U+FFFD and decoding goes
// on after it. False, with nothing appended, when the system does not know
// the encoding.
bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out);

}  // namespace ridloe
