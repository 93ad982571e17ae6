// A loaded document as one JSON document, for `list --json`.
#pragma once

#include <cstdio>

#include "core/document/gps_document.h"

namespace ridloe::cli {

// Writes every waypoint and track point to `out` as one JSON document, as it
// goes: the memory it takes does not grow with the document. Each waypoint
// gives its whole name and comment as the file holds them, and the name the
// document keeps in its record (cut to fit it), each decoded from
// `encoding` beside its bytes in hex. `ok` says whether the load succeeded;
// a failed one carries its error. Every string is escaped by the JSON
// library.
void WriteDocumentJson(const GpsDocument& document, const char* encoding, bool ok, std::FILE* out);

}  // namespace ridloe::cli
