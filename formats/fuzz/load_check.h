// The checks the load fuzzers and the regression test share: any bytes are
// parsed twice by one reader, without sinks and with both, and the two loads
// must agree with each other and with what they report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/format_registry.h"

namespace ridloe {

// Parses `data` with the reader of `format`, once without sinks and once with a
// waypoint and a track sink, destroying each document through its base. Empty
// when every check holds; otherwise the first one that failed, in words.
std::string CheckLoad(const Format& format, const std::uint8_t* data, std::size_t size);

// Aborts, naming the target, when `why` says a check failed, so that the
// fuzzer keeps the input.
void Require(const char* target, const std::string& why);

}  // namespace ridloe
