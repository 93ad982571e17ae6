// Conversion between 8-bit text and UTF-8 by the system's own tables.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ridloe {

// Appends `bytes`, read in `encoding`, to `out` as UTF-8. A byte that does not
// decode (or a lead byte cut off at the end) becomes U+FFFD and decoding goes
// on after it. False, with nothing appended, when the system does not know
// the encoding.
bool TranscodeToUtf8(std::string_view bytes, const char* encoding, std::string& out);

// Appends `utf8` to `out` as 8-bit text in `encoding`. A character with no
// form there (or a byte that is not part of a UTF-8 character) becomes '?'
// and counts in `replaced`. False, with nothing appended, when the system
// does not know the encoding.
bool TranscodeFromUtf8(std::string_view utf8, const char* encoding, std::string& out, std::size_t& replaced);

}  // namespace ridloe
