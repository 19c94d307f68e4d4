// The device's configuration document: loaded from the unpacked XML text,
// read and changed through path expressions (template/path_expression.h),
// saved back to the file it came from.  It also writes the key list of a
// template extraction: one "key=value" line per setting read, the key and
// value shaped by the tags of the most recent lookup.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include <tinyxml.h>

namespace kav::tmpl {

class CXmlConfigDoc {
 public:
  CXmlConfigDoc();
  ~CXmlConfigDoc();
  CXmlConfigDoc(const CXmlConfigDoc&) = delete;
  CXmlConfigDoc& operator=(const CXmlConfigDoc&) = delete;

  // Parses the file and remembers its name for Save.  False when the file
  // cannot be read or is not a document TinyXML accepts.
  bool Load(const std::string& path);
  // The same from text already in memory; path is the name Save uses.
  bool LoadText(std::string_view text, const std::string& path);
  // Writes the document to the file it was loaded from, in TinyXML's
  // layout.  False when any part of the write fails.
  bool Save();
  // Name of the document's first element; empty when there is none.
  std::string RootName() const;

  // Lookups.  Each makes the expression the current one.  Find walks the
  // segments from the root; FindOrCreate appends what is missing.
  TiXmlElement* Find(const std::string& expression);
  TiXmlElement* FindOrCreate(const std::string& expression);

  // Kind "e": name is the element's name, value the text of its first
  // child when that is text.  Kind "a": name is the ARR tag, value that
  // attribute.  value is nullopt when there is no text or attribute.
  // False when the element is not found or the kind is not readable.
  bool Get(const std::string& expression, std::string& name, std::optional<std::string>& value);
  // Kind "m" stores the VAL tag (translated through RRL) as the element's
  // text, replacing its first child; kind "n" sets the ARR attribute to
  // VAL.  With create, missing elements are made.  False when no element
  // is found (or made), the kind is not writable, or the value is not
  // UTF-8 in a UTF-8 document (TinyXML would save it, but could not read
  // the file back).
  bool Set(const std::string& expression, bool create);
  // Removes every child element named childName of the element found.
  void RemoveAllChildren(const std::string& expression, const std::string& childName);

  // Creates or truncates the key list file.
  bool OpenKeyList(const std::string& path);
  // Appends "key=value" CR LF.  Key: FFN of the current expression, else
  // PRE followed by name, else name.  Value: its RRL translation when one
  // matches, else unchanged; empty when nullopt.  False when the list is
  // not open, the write falls short, or the key or value holds a line
  // break or another control character a line cannot carry.
  bool WriteSetting(const std::string& name, const std::optional<std::string>& value);
  // Appends "key=value" CR LF as given, without tags or translation.
  bool WriteLine(const std::string& key, const std::string& value);
  // Flushes and closes the key list; false when data may not have reached
  // the file.
  bool CloseKeyList();

  // True when TinyXML reads the document as UTF-8 (a byte order mark, or
  // an XML declaration with no encoding or UTF-8); names and values put
  // into it must then be UTF-8 too.
  bool IsUtf8() const { return utf8_; }

  const std::string& currentExpression() const { return current_; }
  TiXmlDocument& document() { return doc_; }

 private:
  TiXmlElement* Walk(const std::string& expression, bool create);

  TiXmlDocument doc_;
  std::FILE* keyList_ = nullptr;
  std::string current_;
  bool utf8_ = false;
};

// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// True when text ends inside a UTF-8 multi-byte sequence.  TinyXML steps
// over such a sequence as a whole and so past the end of its buffer.
bool EndsInsideUtf8Sequence(std::string_view text);

// TinyXML parses nested elements by recursion, checks each attribute
// against all earlier ones of its element, and spends a few hundred bytes
// per node; a small compressed body can therefore exhaust the stack, the
// time or the memory of the process.  Documents beyond these limits are
// not parsed.  A device configuration is about eight levels deep, has one
// attribute per element and some thousand nodes.
inline constexpr size_t kMaxElementDepth = 256;
inline constexpr size_t kMaxAttributesPerElement = 256;
inline constexpr size_t kMaxMarkupNodes = size_t{1} << 19;  // elements, comments, ... and attributes
bool WithinDocumentLimits(std::string_view text);

// The buffer handed to TinyXML for text: as TinyXML's own file loader, the
// text up to its first zero byte with CR LF and lone CR turned into LF,
// followed by kParsePadding zero bytes (some of TinyXML's error paths step
// a few bytes past the terminator before they look again).  False, with
// out empty, for an empty text, one that ends inside a UTF-8 sequence, or
// one beyond the document limits.
inline constexpr size_t kParsePadding = 16;
bool PrepareParseText(std::string_view text, std::string& out);

}  // namespace kav::tmpl
