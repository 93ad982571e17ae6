// The XML parser on XmlLite, the pull parser every Windows has. There is no
// import library for it here, so xmllite.dll is loaded from the system's
// folder when the first GPX file is read. Document type declarations are
// refused whole (nothing declared, nothing loaded, nothing expanded).
#include <windows.h>
// After windows.h, which it needs.
#include <xmllite.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "formats/gpx/xml_events.h"

namespace ridloe {
namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateXmlReaderFunction LoadXmlLite() {
  static const CreateXmlReaderFunction create = [] {
    const HMODULE dll = LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dll ? reinterpret_cast<CreateXmlReaderFunction>(
                     reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")))
               : nullptr;
  }();
  return create;
}

// XmlLite's memory comes from operator new like the rest of a load's, so
// that what counts the one counts the other. Each block carries its size in
// front.
class OperatorNewMalloc final : public IMalloc {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (id == IID_IUnknown || id == IID_IMalloc) {
      *out = static_cast<IMalloc*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One object serves every reader for the life of the program.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  void* STDMETHODCALLTYPE Alloc(SIZE_T size) override {
    auto* raw = static_cast<std::uint8_t*>(::operator new(size + kHeader, std::nothrow));
    if (!raw) return nullptr;
    std::memcpy(raw, &size, sizeof size);
    return raw + kHeader;
  }
  void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override {
    if (!p) return Alloc(size);
    if (size == 0) {
      Free(p);
      return nullptr;
    }
    void* grown = Alloc(size);
    if (!grown) return nullptr;
    std::memcpy(grown, p, std::min<SIZE_T>(SizeOf(p), size));
    Free(p);
    return grown;
  }
  void STDMETHODCALLTYPE Free(void* p) override {
    if (p) ::operator delete(static_cast<std::uint8_t*>(p) - kHeader);
  }
  SIZE_T STDMETHODCALLTYPE GetSize(void* p) override { return p ? SizeOf(p) : static_cast<SIZE_T>(-1); }
  int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
  void STDMETHODCALLTYPE HeapMinimize() override {}

 private:
  static constexpr std::size_t kHeader = alignof(std::max_align_t);
  static SIZE_T SizeOf(void* p) {
    SIZE_T size = 0;
    std::memcpy(&size, static_cast<std::uint8_t*>(p) - kHeader, sizeof size);
    return size;
  }
};

OperatorNewMalloc g_malloc;

// The file's bytes, already in memory, as the stream XmlLite reads.
class BytesStream final : public ISequentialStream {
 public:
  BytesStream(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (id == IID_IUnknown || id == IID_ISequentialStream) {
      *out = static_cast<ISequentialStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // It lives on the stack of the parse, which outlives the reader's hold.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE Read(void* out, ULONG want, ULONG* got) override {
    const ULONG n = static_cast<ULONG>(std::min<std::size_t>(want, left_));
    std::memcpy(out, data_, n);
    data_ += n;
    left_ -= n;
    if (got) *got = n;
    return n == want ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

 private:
  const std::uint8_t* data_;
  std::size_t left_;
  std::atomic<ULONG> references_{1};
};

// XmlLite's faults in words; the code stands in for those not listed.
std::string Describe(HRESULT code) {
  static const struct {
    unsigned long code;
    const char* words;
  } kFaults[] = {
      {MX_E_INPUTEND, "no element found"},
      {MX_E_ENCODING, "the document's encoding cannot be read"},
      {MX_E_ENCODINGSWITCH, "the document switches encodings"},
      {MX_E_ENCODINGSIGNATURE, "the byte-order mark does not match the encoding"},
      {WC_E_WHITESPACE, "white space expected"},
      {WC_E_SEMICOLON, "';' expected"},
      {WC_E_GREATERTHAN, "'>' expected"},
      {WC_E_QUOTE, "a quote expected"},
      {WC_E_EQUAL, "'=' expected"},
      {WC_E_LESSTHAN, "'<' not allowed in an attribute value"},
      {WC_E_HEXDIGIT, "a hexadecimal digit expected"},
      {WC_E_DIGIT, "a decimal digit expected"},
      {WC_E_XMLCHARACTER, "not well-formed (invalid token)"},
      {WC_E_NAMECHARACTER, "not well-formed (invalid token)"},
      {WC_E_SYNTAX, "syntax error"},
      {WC_E_CDSECT, "a CDATA section is not well-formed"},
      {WC_E_COMMENT, "a comment is not well-formed"},
      {WC_E_NAME, "a name expected"},
      {WC_E_ROOTELEMENT, "junk after document element"},
      {WC_E_ELEMENTMATCH, "mismatched tag"},
      {WC_E_UNIQUEATTRIBUTE, "duplicate attribute"},
      {WC_E_LEADINGXML, "XML or text declaration not at start of entity"},
      {WC_E_XMLDECL, "the XML declaration is not well-formed"},
      {WC_E_UNDECLAREDENTITY, "undefined entity"},
      {WC_E_PI, "a processing instruction is not well-formed"},
      {WC_E_CDSECTEND, "']]>' not allowed in text"},
      {WC_E_MOREDATA, "junk after document element"},
      {WC_E_DTDPROHIBITED, "the document has a document type declaration, and those are refused"},
      {NC_E_QNAMECHARACTER, "a name holds a character names may not"},
      {NC_E_QNAMECOLON, "a name holds more than one colon"},
      {NC_E_NAMECOLON, "a name holds a colon where none may be"},
      {NC_E_DECLAREDPREFIX, "a namespace prefix is declared wrongly"},
      {NC_E_UNDECLAREDPREFIX, "unbound prefix"},
      {NC_E_EMPTYURI, "a namespace prefix is bound to nothing"},
      {SC_E_MAXELEMENTDEPTH, "elements nest too deep"},
      {SC_E_MAXENTITYEXPANSION, "entities expand too far"},
      {XML_E_INVALID_DECIMAL, "a character reference is not well-formed"},
      {XML_E_INVALID_HEXIDECIMAL, "a character reference is not well-formed"},
      {XML_E_INVALID_UNICODE, "reference to invalid character number"},
      {XML_E_INVALIDENCODING, "unknown encoding"},
      {static_cast<unsigned long>(E_OUTOFMEMORY), "out of memory"},
  };
  for (const auto& fault : kFaults) {
    if (fault.code == static_cast<unsigned long>(code)) return fault.words;
  }
  char text[40];
  std::snprintf(text, sizeof text, "XML error 0x%08lX", static_cast<unsigned long>(code));
  return text;
}

// How many bytes UTF-16 text takes as UTF-8.
std::size_t Utf8Size(const WCHAR* text, UINT length) {
  if (length == 0) return 0;
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

// UTF-16 from XmlLite as UTF-8, appended to `out`.
void AppendUtf8(const WCHAR* text, UINT length, std::string& out) {
  if (length == 0) return;
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data() + at, n, nullptr, nullptr);
}

class XmlLiteParser final : public XmlParser {
 public:
  explicit XmlLiteParser(IXmlReader* reader) : reader_(reader) {}
  ~XmlLiteParser() override { reader_->Release(); }
  XmlLiteParser(const XmlLiteParser&) = delete;
  XmlLiteParser& operator=(const XmlLiteParser&) = delete;

  bool Parse(const std::uint8_t* data, std::size_t size, XmlEvents& events, std::string& why) override {
    BytesStream stream(data, size);
    HRESULT result = reader_->SetInput(&stream);
    XmlNodeType type = XmlNodeType_None;
    try {
      while (SUCCEEDED(result) && !stopped_ && (result = reader_->Read(&type)) == S_OK) {
        Here(type);
        switch (type) {
          case XmlNodeType_Element: result = Start(events); break;
          case XmlNodeType_EndElement: events.OnEnd(); break;
          case XmlNodeType_Text:
          case XmlNodeType_CDATA:
          case XmlNodeType_Whitespace: result = Text(events); break;
          default: break;
        }
      }
    } catch (const std::bad_alloc&) {
      result = E_OUTOFMEMORY;
    }
    // XmlLite holds the stream until it is given another.
    reader_->SetInput(nullptr);
    if (SUCCEEDED(result)) return true;
    Here(XmlNodeType_None);
    why = Describe(result);
    return false;
  }

  void Stop() override { stopped_ = true; }
  std::int64_t Line() const override { return line_; }
  std::int64_t Column() const override { return column_; }

 private:
  // XmlLite places a tag at its name; expat, and so every message, at its
  // '<'. Where XmlLite cannot say (Wine's after a fault), the last place
  // known stands.
  void Here(XmlNodeType type) {
    UINT line = 0, column = 0;
    if (FAILED(reader_->GetLineNumber(&line)) || FAILED(reader_->GetLinePosition(&column)) || line == 0) return;
    const UINT before = type == XmlNodeType_Element ? 1 : type == XmlNodeType_EndElement ? 2 : 0;
    line_ = line;
    column_ = column > before ? column - before : 1;
  }

  HRESULT Start(XmlEvents& events) {
    // Asked before the attributes are visited, which moves off the element.
    const bool empty = reader_->IsEmptyElement();
    // Names and values go into one buffer, sized first so that it never
    // moves while it is viewed.
    std::size_t size = 0;
    HRESULT result = Visit([&size](const WCHAR* text, UINT length) { size += Utf8Size(text, length); });
    if (FAILED(result)) return result;
    strings_.clear();
    strings_.reserve(size);
    attributes_.clear();
    std::string_view name, pending;
    bool isName = true;
    result = Visit([&](const WCHAR* text, UINT length) {
      const std::size_t at = strings_.size();
      AppendUtf8(text, length, strings_);
      const std::string_view piece = std::string_view(strings_).substr(at);
      if (name.data() == nullptr) {
        name = piece;
      } else if (isName) {
        pending = piece;
        isName = false;
      } else {
        attributes_.push_back({pending, piece});
        isName = true;
      }
    });
    if (FAILED(result)) return result;
    events.OnStart(name, attributes_);
    // An empty element has no end tag of its own.
    if (empty && !stopped_) events.OnEnd();
    return S_OK;
  }

  // Calls `take` with the element's name, then each attribute's name and
  // value in turn, and comes back to the element.
  template <typename Take>
  HRESULT Visit(Take take) {
    const WCHAR* text = nullptr;
    UINT length = 0;
    HRESULT result = reader_->GetQualifiedName(&text, &length);
    if (FAILED(result)) return result;
    take(text, length);
    for (result = reader_->MoveToFirstAttribute(); result == S_OK; result = reader_->MoveToNextAttribute()) {
      if (FAILED(result = reader_->GetQualifiedName(&text, &length))) return result;
      take(text, length);
      if (FAILED(result = reader_->GetValue(&text, &length))) return result;
      take(text, length);
    }
    if (FAILED(result)) return result;
    const HRESULT back = reader_->MoveToElement();
    return FAILED(back) ? back : S_OK;
  }

  HRESULT Text(XmlEvents& events) {
    const WCHAR* text = nullptr;
    UINT length = 0;
    const HRESULT result = reader_->GetValue(&text, &length);
    if (FAILED(result)) return result;
    strings_.clear();
    AppendUtf8(text, length, strings_);
    events.OnText(strings_);
    return S_OK;
  }

  IXmlReader* reader_;
  bool stopped_ = false;
  std::string strings_;
  std::vector<XmlAttribute> attributes_;
  std::int64_t line_ = 1;
  std::int64_t column_ = 1;
};

}  // namespace

std::unique_ptr<XmlParser> MakeXmlParser(int maxDepth, std::string& why) {
  const CreateXmlReaderFunction create = LoadXmlLite();
  if (!create) {
    why = "XmlLite (xmllite.dll), which reads XML on Windows, cannot be loaded";
    return nullptr;
  }
  IXmlReader* reader = nullptr;
  if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), &g_malloc)) || !reader) {
    why = "out of memory for the XML parser";
    return nullptr;
  }
  // No document type declaration, so no entity is declared or loaded; the
  // caller's own depth check comes first.
  reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  reader->SetProperty(XmlReaderProperty_XmlResolver, 0);
  reader->SetProperty(XmlReaderProperty_MaxElementDepth, static_cast<LONG_PTR>(maxDepth) + 1);
  std::unique_ptr<XmlParser> made(new (std::nothrow) XmlLiteParser(reader));
  if (!made) {
    reader->Release();
    why = "out of memory for the XML parser";
  }
  return made;
}

}  // namespace ridloe
