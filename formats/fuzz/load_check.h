// The checks the load fuzzers and the regression test share: any bytes are
// parsed twice by one reader, without sinks and with both, and the two loads
// must agree with each other and with what they report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/format_registry.h"

namespace ridloe {

using Reader = FileFormat;

// Parses `data` with the reader named, once without sinks and once with a
// waypoint and a track sink, destroying each document through its base. Empty
// when every check holds; otherwise the first one that failed, in words.
std::string CheckLoad(Reader reader, const std::uint8_t* data, std::size_t size);

// Aborts, naming the target, when `why` says a check failed, so that the
// fuzzer keeps the input.
void Require(const char* target, const std::string& why);

}  // namespace ridloe
