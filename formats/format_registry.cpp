#include "formats/format_registry.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/text/ascii.h"
// The registered formats: kFormatTable, made by formats/CMakeLists.txt.
#include "formats/format_table.inc"

namespace ridloe {
namespace {

std::uint64_t Bit(const Format* format) {
  const auto at = std::find(std::begin(kFormatTable), std::end(kFormatTable), format);
  return at == std::end(kFormatTable) ? 0 : std::uint64_t{1} << (at - std::begin(kFormatTable));
}

// The first format `allowed` holds whose files `bytes`, which name no
// format, may begin (XML before its root element); null when none.
const Format* AllowedThatMayBegin(ByteSpan bytes, FormatSet allowed) {
  for (const Format* f : kFormatTable) {
    if (allowed.Has(f) && f->mayBegin && f->mayBegin(bytes)) return f;
  }
  return nullptr;
}

// The reader that says best what is wrong with bytes of no format: one
// whose files they may begin (a file cut to "<?xm" is no short MPS file),
// else the first format allowed.
const Format* ReaderFor(const Format* detected, FormatSet allowed, ByteSpan bytes = {}) {
  if (allowed.Has(detected)) return detected;
  if (!detected && !bytes.empty()) {
    if (const Format* f = AllowedThatMayBegin(bytes, allowed)) return f;
  }
  for (const Format* f : kFormatTable) {
    if (allowed.Has(f)) return f;
  }
  return kFormatTable[0];
}

}  // namespace

static_assert(std::size(kFormatTable) <= 64, "a FormatSet holds at most 64 formats");

std::span<const Format* const> Formats() { return kFormatTable; }

FormatSet FormatSet::All() {
  FormatSet set;
  for (const Format* f : kFormatTable) {
    if (f->makeReader) set.bits_ |= Bit(f);
  }
  return set;
}

FormatSet FormatSet::AllBut(const Format& format) {
  FormatSet set = All();
  set.bits_ &= ~Bit(&format);
  return set;
}

bool FormatSet::Has(const Format* format) const { return format && (bits_ & Bit(format)) != 0; }

const Format* DetectFormat(ByteSpan firstBytes) {
  for (const Format* f : kFormatTable) {
    if (f->recognise(firstBytes)) return f;
  }
  return nullptr;
}

const Format* FormatHeld(ByteSpan firstBytes) {
  if (const Format* named = DetectFormat(firstBytes)) return named;
  for (const Format* f : kFormatTable) {
    if (f->mayBegin && f->mayBegin(firstBytes)) return f;
  }
  return nullptr;
}

std::string AFileOf(const Format& format) {
  const std::string name = format.name;
  const bool vowelSound = std::string_view("AEFHILMNORSX").find(name[0]) != std::string_view::npos;
  return (vowelSound ? "an " : "a ") + name + " file";
}

OpenedDocument OpenDocument(const std::string& path, FormatSet allowed, ListSink* waypointSink, ListSink* trackSink,
                            LoadParts parts) {
  OpenedDocument opened;
  ByteBlock buffer;
  ReadOptions options;
  options.prefixSize = kDetectBytes;
  // The first bytes are told once: a format they name, else one they may begin.
  options.acceptsPrefix = [allowed](ByteSpan prefix) {
    const Format* named = DetectFormat(prefix);
    return named ? allowed.Has(named) : AllowedThatMayBegin(prefix, allowed) != nullptr;
  };
  // Once the first bytes name the format, its reader looks at the bytes as
  // they arrive, so that a file found damaged early is not read on.
  std::unique_ptr<GpsDocument> watching;
  const Format* watched = nullptr;
  options.watch = [&](ByteSpan soFar, std::size_t most) {
    if (!watching) {
      watched = DetectFormat(soFar);
      if (!allowed.Has(watched)) return true;
      watching = watched->makeReader();
      watching->parts = parts;
    }
    return watching->Watch(soFar, most, waypointSink, trackSink);
  };
  Error why;
  if (!ReadWholeFile(path, buffer, &why, options) && why.step != Step::kUnrecognised) {
    opened.document = ReaderFor(nullptr, allowed)->makeReader();
    opened.ok = opened.document->FailWith(why);
    return opened;
  }
  opened.format = DetectFormat(buffer.bytes());
  if (opened.format && !allowed.Has(opened.format)) {
    // A format only written has no reader of its own to hold the failure.
    opened.document = (opened.format->makeReader ? opened.format : ReaderFor(nullptr, allowed))->makeReader();
    opened.ok = opened.document->FailWith(Error(Step::kUnrecognised));
    return opened;
  }
  // Bytes of no format are parsed so that the reader says what is wrong.
  if (watching && watched == opened.format) {
    opened.document = std::move(watching);
  } else {
    opened.document = ReaderFor(opened.format, allowed, buffer.bytes())->makeReader();
    opened.document->parts = parts;
  }
  opened.ok = opened.document->ParseBuffer(std::move(buffer), waypointSink, trackSink);
  return opened;
}

const Format* FindWriter(std::string_view option) {
  for (const Format* f : kFormatTable) {
    if (f->write && option == f->option) return f;
  }
  return nullptr;
}

const Format* WriterForPath(std::string_view path) {
  for (const Format* f : kFormatTable) {
    if (f->write && EndsWithNoCase(path, f->extension)) return f;
  }
  return nullptr;
}

const Format& DefaultWriter() {
  for (const Format* f : kFormatTable) {
    if (f->write) return *f;
  }
  return *kFormatTable[0];
}

std::vector<std::string_view> ReadFormats() {
  std::vector<std::string_view> names;
  for (const Format* f : kFormatTable) {
    if (f->makeReader) names.push_back(f->name);
  }
  return names;
}

std::vector<std::string_view> WrittenFormats() {
  std::vector<std::string_view> options;
  for (const Format* f : kFormatTable) {
    if (f->write) options.push_back(f->option);
  }
  std::sort(options.begin(), options.end());
  return options;
}

bool Encode(const Format& format, const GpsDocument& document, const WriteOptions& options, std::string& out) {
  MemorySink sink;
  const bool ok = format.write && format.write(document, options, sink);
  out += sink.bytes;
  return ok;
}

}  // namespace ridloe
