// XML as the writers of XML formats put it out: into a buffer that goes to
// the sink a block at a time, so that the whole file is never held; text
// escaped and cleaned of what XML 1.0 cannot hold; degrees, times and
// elevations in the forms every reader takes.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/bytes/byte_sink.h"
#include "core/document/gps_document.h"

namespace ridloe {

// The shortest decimal that reads back as the same 32-bit float, without an
// exponent (XML formats' elevations are plain decimals); its length, or 0
// when it is not finite or takes more than the 18 digits every reader of
// decimals must take (schema validators take no more than 24). No altitude
// on Earth comes near.
std::size_t FormatElevation(float metres, char (&text)[64]);

class XmlOut {
 public:
  explicit XmlOut(ByteSink& sink) : sink_(sink) {}

  void Put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kBlock) Flush();
  }
  void Put(char c) { buffer_.push_back(c); }
  static constexpr std::size_t kBlock = std::size_t{256} << 10;

  // UTF-8 text as character data: markup characters escaped, a carriage
  // return kept as a reference (a reader would take a raw one for a line
  // feed), and what XML 1.0 cannot hold at all (C0 controls, U+FFFE, U+FFFF,
  // bytes that are no UTF-8) as U+FFFD, whatever the text was decoded from.
  void PutText(std::string_view text);

  // Semicircles as degrees, s * 180 / 2^31 exactly, to 9 decimals (halves to
  // even, as printf rounds): enough that reading them back gives s again.
  void PutDegrees(std::int32_t s);

  // Seconds since 1970-01-01 as "2007-03-04T15:59:55Z".
  void PutTime(std::uint32_t t);

  // One text element of UTF-8 text, left out when the text is empty.
  void Element(std::string_view tag, std::string_view text) {
    if (text.empty()) return;
    Put('<');
    Put(tag);
    Put('>');
    PutText(text);
    Put("</");
    Put(tag);
    Put('>');
  }

  void PutNumber(std::uint64_t n) {
    char digits[24];
    buffer_.append(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits));
  }

  bool Flush() {
    if (ok_ && !buffer_.empty()) ok_ = sink_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  ByteSink& sink_;
  std::string buffer_;
  bool ok_ = true;
};

// A document's text as UTF-8: as it is when the document's text is, else
// decoded from the code page its 8-bit names are in.
class Utf8Text {
 public:
  Utf8Text(const GpsDocument& document, const std::string& codePage) : doc_(document), codePage_(codePage) {}
  // False when the document's names are 8-bit text in a code page the
  // system does not know.
  bool CanDecode() const;
  // Valid until the next call.
  std::string_view operator()(std::string_view raw);

 private:
  const GpsDocument& doc_;
  const std::string& codePage_;
  std::string decoded_;
};

}  // namespace ridloe
