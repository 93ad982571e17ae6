// The numbers and times GPX writes as text: decimal degrees and elevations,
// and XML Schema dates and times.
#pragma once

#include <cstdint>
#include <string_view>

namespace ridloe {

// `text` without XML white space at either end.
std::string_view TrimXmlSpace(std::string_view text);

// A decimal number such as "-12.5", white space around it allowed (an
// exponent is accepted, as some programs write one); false for anything
// else, "inf" and "nan" included. A float given a number beyond its range
// holds the nearest it can, 0 or infinite; a number beyond a double's range
// is refused.
bool ParseDecimal(std::string_view text, double& out);
bool ParseDecimal(std::string_view text, float& out);

// Degrees to semicircles (2^31 of them to 180 degrees), to the nearest, halves
// away from zero; a latitude is first held to [-90, 90] and a longitude
// brought into [-180, 180).
std::int32_t SemicirclesFromDegrees(double degrees, bool latitude);

// An XML Schema date and time, "2007-03-04T15:59:55Z" (fractions of a second,
// any number of digits, are dropped; a time without a zone is taken as UTC),
// as seconds since 1970-01-01 UTC; false, leaving `out` alone, when it is not
// one or lies outside what 32 bits hold. Besides "Z" and "+hh:mm", the zone
// may be written "+hhmm" or "+hh", as some programs write it.
bool ParseXmlTime(std::string_view text, std::uint32_t& out);

}  // namespace ridloe
