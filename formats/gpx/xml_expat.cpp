// The XML parser on expat, which streams the document in pieces.
#include <expat.h>

#include <algorithm>
#include <iterator>
#include <cstring>
#include <new>
#include <vector>

#include "formats/gpx/xml_encoding.h"
#include "formats/gpx/xml_events.h"

namespace ridloe {
namespace {

// The parser is fed this much at a time, so that its own buffer stays small.
constexpr std::size_t kFeed = std::size_t{64} << 10;

// expat's memory comes from operator new like the rest of a load's, so that
// what counts the one counts the other. Each block carries its size in front.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

void* XmlMalloc(std::size_t size) {
  auto* raw = static_cast<std::uint8_t*>(::operator new(size + kBlockHeader, std::nothrow));
  if (!raw) return nullptr;
  std::memcpy(raw, &size, sizeof size);
  return raw + kBlockHeader;
}

void XmlFree(void* p) {
  if (p) ::operator delete(static_cast<std::uint8_t*>(p) - kBlockHeader);
}

void* XmlRealloc(void* p, std::size_t size) {
  void* grown = XmlMalloc(size);
  if (!grown || !p) return grown;
  std::size_t old = 0;
  std::memcpy(&old, static_cast<std::uint8_t*>(p) - kBlockHeader, sizeof old);
  std::memcpy(grown, p, std::min(old, size));
  XmlFree(p);
  return grown;
}

const XML_Memory_Handling_Suite kXmlMemory = {XmlMalloc, XmlRealloc, XmlFree};

class ExpatParser final : public XmlParser {
 public:
  explicit ExpatParser(XML_Parser parser) : parser_(parser) {}
  ~ExpatParser() override { XML_ParserFree(parser_); }
  ExpatParser(const ExpatParser&) = delete;
  ExpatParser& operator=(const ExpatParser&) = delete;

  bool Parse(const std::uint8_t* data, std::size_t size, XmlEvents& events, std::string& why) override {
    return Feed(data, size, true, events, why);
  }

  bool Feed(const std::uint8_t* data, std::size_t size, bool last, XmlEvents& events, std::string& why) override {
    if (!events_) {
      XML_SetUserData(parser_, this);
      XML_SetElementHandler(parser_, OnStart, OnEnd);
      XML_SetCharacterDataHandler(parser_, OnText);
      // Entities a document declares are never expanded, and one it uses
      // without declaring (say, from a document type definition elsewhere,
      // which is never loaded) is no text either: both are refused.
      XML_SetEntityDeclHandler(parser_, OnEntityDeclaration);
      XML_SetSkippedEntityHandler(parser_, OnSkippedEntity);
      XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
      // An encoding expat does not know itself is read through the system's.
      XML_SetUnknownEncodingHandler(parser_, OnUnknownEncoding, this);
    }
    events_ = &events;
    std::size_t at = 0;
    do {
      const std::size_t n = std::min(kFeed, size - at);
      const bool final = last && at + n == size;
      if (XML_Parse(parser_, reinterpret_cast<const char*>(data + at), static_cast<int>(n), final) != XML_STATUS_OK) {
        if (!refusal_.empty()) {
          why = refusal_;
          return false;
        }
        if (XML_GetErrorCode(parser_) == XML_ERROR_ABORTED) return true;  // Stop
        why = XML_ErrorString(XML_GetErrorCode(parser_));
        if (encoding_ && !encoding_->Note().empty()) why += ": " + encoding_->Note();
        return false;
      }
      at += n;
    } while (at < size);
    return true;
  }

  void Stop() override { XML_StopParser(parser_, XML_FALSE); }
  // expat knows where the event being reported, or the fault, is; a
  // refusal's place is kept from the moment it was made.
  std::int64_t Line() const override {
    return refusal_.empty() ? static_cast<std::int64_t>(XML_GetCurrentLineNumber(parser_)) : line_;
  }
  std::int64_t Column() const override {
    return refusal_.empty() ? static_cast<std::int64_t>(XML_GetCurrentColumnNumber(parser_)) + 1 : column_;
  }

 private:
  static ExpatParser& Self(void* data) { return *static_cast<ExpatParser*>(data); }

  void Refuse(std::string why) {
    line_ = Line();
    column_ = Column();
    refusal_ = std::move(why);
    Stop();
  }

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    ExpatParser& p = Self(data);
    p.attributes_.clear();
    try {
      for (const XML_Char** a = attributes; *a; a += 2) p.attributes_.push_back({a[0], a[1]});
    } catch (const std::bad_alloc&) {
      return p.Refuse("out of memory");
    }
    p.events_->OnStart(name, p.attributes_);
  }

  static void XMLCALL OnEnd(void* data, const XML_Char*) { Self(data).events_->OnEnd(); }

  static void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    Self(data).events_->OnText(std::string_view(text, static_cast<std::size_t>(length)));
  }

  static void XMLCALL OnEntityDeclaration(void* data, const XML_Char* name, int, const XML_Char*, int,
                                          const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*) {
    Self(data).Refuse(std::string("the document declares the entity ") + name + ", and entities are refused");
  }

  static void XMLCALL OnSkippedEntity(void* data, const XML_Char* name, int) {
    Self(data).Refuse(std::string("the entity ") + name + " is not declared");
  }

  // Fills expat's table for the encoding `name` from the system's
  // conversion; an encoding it cannot read is refused with its name.
  static int XMLCALL OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info) {
    ExpatParser& p = Self(data);
    std::string why;
    try {
      p.encoding_ = XmlEncoding::Make(name, why);
    } catch (const std::bad_alloc&) {
      why = "out of memory";
    }
    if (!p.encoding_) {
      // The parse fails on its own once this returns; only the words are ours.
      p.line_ = p.Line();
      p.column_ = p.Column();
      p.refusal_ = why;
      return XML_STATUS_ERROR;
    }
    std::copy(std::begin(p.encoding_->map), std::end(p.encoding_->map), info->map);
    info->data = p.encoding_.get();
    info->convert = [](void* encoding, const char* bytes) { return static_cast<XmlEncoding*>(encoding)->Character(bytes); };
    info->release = nullptr;  // the encoding lives as long as the parser
    return XML_STATUS_OK;
  }

  XML_Parser parser_;
  XmlEvents* events_ = nullptr;
  std::vector<XmlAttribute> attributes_;
  std::string refusal_;
  std::unique_ptr<XmlEncoding> encoding_;  // the document's, when expat does not know it
  std::int64_t line_ = 1;
  std::int64_t column_ = 1;
};

}  // namespace

// expat follows the depth of a document in memory it takes from the suite,
// so its own depth needs no limit of its own.
std::unique_ptr<XmlParser> MakeXmlParser(int, std::string& why) {
  const XML_Parser parser = XML_ParserCreate_MM(nullptr, &kXmlMemory, nullptr);
  std::unique_ptr<XmlParser> made;
  if (parser) made.reset(new (std::nothrow) ExpatParser(parser));
  if (!made) {
    if (parser) XML_ParserFree(parser);
    why = "out of memory";
  }
  return made;
}

}  // namespace ridloe
