// A loaded document as one JSON document, for `list --json`.
#pragma once

#include <nlohmann/json.hpp>

#include "core/document/gps_document.h"

namespace ridloe::cli {

// Every waypoint and track point; names decoded from `encoding` beside their
// bytes in hex. `ok` says whether the load succeeded; a failed one carries
// its error.
nlohmann::json DocumentToJson(const GpsDocument& document, const char* encoding, bool ok);

}  // namespace ridloe::cli
