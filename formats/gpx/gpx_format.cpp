#include "formats/gpx/gpx_format.h"

#include "formats/gpx/gpx_document.h"

namespace ridloe {

const Format kGpxFormat = {
    .name = "GPX",
    .option = "gpx",
    .extension = ".gpx",
    .recognise = &LooksLikeGpx,
    // XML whose root element is further on may be GPX.
    .mayBegin = &MayBeginXml,
    .makeReader = []() -> std::unique_ptr<GpsDocument> { return std::make_unique<GpxDocument>(); },
    .write = &WriteGpx,
    .writerReads = LoadParts::kAll,
    .writesTracks = true,
    .deviceCodes = false,
    .routePoints = nullptr,
};

}  // namespace ridloe
