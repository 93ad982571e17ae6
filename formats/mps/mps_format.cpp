#include "formats/mps/mps_document.h"
#include "formats/mps/mps_header.h"

namespace ridloe {

// MPS files are read, never written: the device's own format is WTR.
const Format kMpsFormat = {
    .name = "MPS",
    .option = "mps",
    .extension = ".mps",
    .recognise = [](ByteSpan firstBytes) { return ByteCursor(firstBytes).StartsWith(kMpsSignature); },
    .mayBegin = nullptr,
    .makeReader = []() -> std::unique_ptr<GpsDocument> { return std::make_unique<MpsDocument>(); },
    .write = nullptr,
    .writerReads = LoadParts::kAll,
    .writesTracks = false,
    .deviceCodes = false,
    .routePoints = nullptr,
};

}  // namespace ridloe
