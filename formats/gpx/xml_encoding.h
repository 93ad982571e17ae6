// Encodings an XML declaration names that the XML parser does not know
// itself (it knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII): read through the
// system's conversion, one character at a time, as a table of what each first
// byte begins. The same on every system, whatever its tables are.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform/transcode.h"

namespace ridloe {

class XmlEncoding {
 public:
  // The encoding the declaration names, by the name the system's tables
  // know it under: Big5 is read as code page 950, Shift_JIS as 932, GB2312
  // and GBK as 936, EUC-KR as 949, as files that name them are written.
  static std::unique_ptr<XmlEncoding> Make(std::string_view declared, std::string& why);

  // What each byte begins, as the parser takes it: the character it is
  // alone (>= 0), the first of a sequence of n bytes (-n, n from 2 to 4),
  // or nothing (-1). Bytes that decode alone to a C1 control are nothing: a
  // stray byte in a Windows code page, which some systems' tables decode and
  // others do not.
  int map[256] = {};

  // The character of the sequence of bytes that `bytes` begins (its length
  // is what the map gives its first byte); -1 for none the parser takes.
  int Character(const char* bytes);

  // Why the parse of a document in this encoding failed at a character it
  // could not take, beyond the parser's own words; empty when nothing more
  // is known.
  std::string Note() const;

  const std::string& name() const { return name_; }

 private:
  XmlEncoding(std::string name, std::string system) : name_(std::move(name)), decoder_(system.c_str()) {}
  // The length of the characters that `lead` begins, found by trying; 0 when
  // no sequence of up to 4 bytes that starts with it is a character.
  int SequenceLength(unsigned char lead);

  std::string name_;
  CharacterDecoder decoder_;
  // A sequence was the start of a longer character than its first byte's
  // others (GB18030's four-byte characters): its length, or 0.
  std::size_t longer_ = 0;
};

}  // namespace ridloe
