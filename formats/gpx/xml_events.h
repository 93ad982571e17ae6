// The XML a GPX file is read through: a streaming parser (expat) that reports
// start tags, end tags and text. A document never loads anything from
// elsewhere and never expands an entity it declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace ridloe {

// An attribute as written: "lat", "xmlns:g" (namespace declarations are
// attributes too, and names keep their prefixes).
struct XmlAttribute {
  std::string_view name;
  std::string_view value;
};

// What a document holds, in document order. Text arrives decoded (entities,
// character references and CDATA) as UTF-8, possibly in several pieces.
class XmlEvents {
 public:
  virtual ~XmlEvents() = default;
  virtual void OnStart(std::string_view name, std::span<const XmlAttribute> attributes) = 0;
  virtual void OnEnd() = 0;
  virtual void OnText(std::string_view text) = 0;
};

class XmlParser {
 public:
  virtual ~XmlParser() = default;
  // Reads a whole document into `events`. False, with the reason in `why`,
  // for a document that is not well-formed XML or does what is refused (a
  // declared entity, or one used but never declared); true once it ends or
  // Stop is called.
  virtual bool Parse(const std::uint8_t* data, std::size_t size, XmlEvents& events, std::string& why) = 0;
  // Reads a document a piece at a time, as its bytes arrive: each piece
  // goes on where the last ended, and `last` says the document ends with
  // this one. False as Parse says, at the first piece that shows the fault;
  // true once Stop is called. A parser that can only take a document whole
  // keeps the pieces and parses them with the last.
  virtual bool Feed(const std::uint8_t* data, std::size_t size, bool last, XmlEvents& events, std::string& why);
  // Ends the parse after the event being reported.
  virtual void Stop() = 0;
  // Where the event being reported is, or where the fault was: 1-based.
  virtual std::int64_t Line() const = 0;
  virtual std::int64_t Column() const = 0;

 private:
  std::string pieces_;  // for a parser that takes a document whole
};

inline bool XmlParser::Feed(const std::uint8_t* data, std::size_t size, bool last, XmlEvents& events,
                            std::string& why) {
  pieces_.append(reinterpret_cast<const char*>(data), size);
  if (!last) return true;
  const std::string whole = std::move(pieces_);
  return Parse(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size(), events, why);
}

// A parser that takes elements nested up to `maxDepth` deep (deeper ones the
// caller refuses itself); null when it cannot be made, with the reason, if
// one is known, in `why` ("out of memory"). Its memory comes from operator
// new.
std::unique_ptr<XmlParser> MakeXmlParser(int maxDepth, std::string& why);

}  // namespace ridloe
