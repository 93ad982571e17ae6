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
  // Ends the parse after the event being reported.
  virtual void Stop() = 0;
  // Where the event being reported is, or where the fault was: 1-based.
  virtual std::int64_t Line() const = 0;
  virtual std::int64_t Column() const = 0;
};

// A parser that takes elements nested up to `maxDepth` deep (deeper ones the
// caller refuses itself); null when there is no memory for it, with the
// reason in `why`. Its memory comes from operator new.
std::unique_ptr<XmlParser> MakeXmlParser(int maxDepth, std::string& why);

}  // namespace ridloe
