#include "template/xml_config_doc.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "template/path_expression.h"

namespace kav::tmpl {

namespace {

// Names as TinyXML reads them back (it takes no ":" first, XML would).
bool IsNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

// Only names that make well-formed XML, and that TinyXML reads, are created.
bool IsXmlName(std::string_view s) {
  if (s.empty() || !IsNameStart(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!IsNameChar(static_cast<unsigned char>(c))) return false;
  return true;
}

bool IsLineSafe(std::string_view s) {
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t') || u == 0x7F) return false;
  }
  return true;
}

}  // namespace

bool EndsInsideUtf8Sequence(std::string_view text) {
  size_t n = text.size();
  for (size_t i = n > 3 ? n - 3 : 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (need > 1 && i + need > n) return true;
  }
  return false;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + length > n) return false;
    for (size_t k = 1; k < length; ++k) {
      unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += length;
  }
  return true;
}

bool WithinDocumentLimits(std::string_view t) {
  // Follows TinyXML's view of markup closely enough never to count less:
  // a construct TinyXML would read differently makes it stop with an
  // error at that point anyway.
  const size_t n = t.size();
  size_t depth = 0;
  size_t nodes = 0;
  size_t i = 0;
  auto skipPast = [&](std::string_view end) {
    size_t at = t.find(end, i);
    i = at == std::string_view::npos ? n : at + end.size();
  };
  while (i < n) {
    size_t lt = t.find('<', i);
    if (lt == std::string_view::npos || lt + 1 >= n) break;
    i = lt + 1;
    if (++nodes > kMaxMarkupNodes) return false;
    unsigned char c = static_cast<unsigned char>(t[i]);
    if (c == '/') {
      if (depth > 0) --depth;
      skipPast(">");
    } else if (t.compare(i, 3, "!--") == 0) {
      skipPast("-->");
    } else if (t.compare(i, 8, "![CDATA[") == 0) {
      skipPast("]]>");
    } else if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80)) {
      skipPast(">");  // declaration, DOCTYPE, unknown markup
    } else {
      size_t attributes = 0;
      char quote = 0;
      bool closed = false;
      bool empty = false;
      for (; i < n; ++i) {
        char ch = t[i];
        if (quote) {
          if (ch == quote) quote = 0;
        } else if (ch == '"' || ch == '\'') {
          quote = ch;
        } else if (ch == '=') {
          if (++attributes > kMaxAttributesPerElement || ++nodes > kMaxMarkupNodes) return false;
        } else if (ch == '>') {
          empty = t[i - 1] == '/';
          closed = true;
          ++i;
          break;
        }
      }
      if (!closed) break;
      if (!empty && ++depth > kMaxElementDepth) return false;
    }
  }
  return true;
}

bool PrepareParseText(std::string_view text, std::string& out) {
  out.clear();
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return false;
  out.reserve(text.size() + kParsePadding);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  // No well-formed document ends inside a character.
  if (EndsInsideUtf8Sequence(out) || !WithinDocumentLimits(out)) {
    out.clear();
    return false;
  }
  out.append(kParsePadding, '\0');
  return true;
}

CXmlConfigDoc::CXmlConfigDoc() = default;

CXmlConfigDoc::~CXmlConfigDoc() { CloseKeyList(); }

bool CXmlConfigDoc::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    doc_.Clear();
    doc_.SetValue(path);
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    doc_.Clear();
    doc_.SetValue(path);
    return false;
  }
  return LoadText(text, path);
}

bool CXmlConfigDoc::LoadText(std::string_view text, const std::string& path) {
  doc_.Clear();
  utf8_ = false;
  doc_.SetValue(path);
  std::string buf;
  if (!PrepareParseText(text, buf)) return false;
  doc_.Parse(buf.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
  // TinyXML's own rule: a byte order mark, or the first XML declaration.
  utf8_ = buf.compare(0, 3, "\xEF\xBB\xBF") == 0;
  for (const TiXmlNode* node = doc_.FirstChild(); node && !utf8_; node = node->NextSibling()) {
    if (const TiXmlDeclaration* decl = node->ToDeclaration()) {
      std::string_view encoding = decl->Encoding();
      utf8_ = encoding.empty() || EqualsIgnoreCase(encoding, "UTF-8") || EqualsIgnoreCase(encoding, "UTF8");
      break;
    }
  }
  if (doc_.Error()) {
    // Keep nothing of a document that failed half way: lookups must find
    // nothing rather than a fragment.
    doc_.Clear();
    return false;
  }
  return true;
}

bool CXmlConfigDoc::Save() {
  std::FILE* fp = std::fopen(doc_.Value(), "w");
  if (!fp) return false;
  // TinyXML's SaveFile(name) ignores what fclose reports, so a full disk
  // would pass as success; write through our own handle and check it all.
  bool ok = doc_.SaveFile(fp);
  ok = std::fflush(fp) == 0 && ok;
  ok = !std::ferror(fp) && ok;
  ok = std::fclose(fp) == 0 && ok;
  return ok;
}

std::string CXmlConfigDoc::RootName() const {
  const TiXmlElement* root = doc_.RootElement();
  return root ? std::string(root->Value()) : std::string();
}

TiXmlElement* CXmlConfigDoc::Walk(const std::string& expression, bool create) {
  current_ = expression;
  std::vector<PathSegment> segments;
  if (!ParsePath(expression, segments)) return nullptr;
  TiXmlElement* cur = doc_.RootElement();
  if (!cur) return nullptr;
  for (const PathSegment& seg : segments) {
    std::string name(seg.name);
    std::string attribute(seg.attribute);
    TiXmlElement* found = nullptr;
    for (TiXmlElement* child = cur->FirstChildElement(name); child; child = child->NextSiblingElement(name)) {
      if (!seg.hasPredicate) {
        found = child;
        break;
      }
      const std::string* value = child->Attribute(attribute);
      if (value && EqualsIgnoreCase(*value, seg.value)) {
        found = child;
        break;
      }
    }
    if (!found) {
      if (!create || !IsXmlName(name) || (seg.hasPredicate && !IsXmlName(attribute))) return nullptr;
      if (utf8_ && !(IsValidUtf8(name) && IsValidUtf8(attribute) && IsValidUtf8(seg.value))) return nullptr;
      auto* made = new TiXmlElement(name);
      if (seg.hasPredicate) made->SetAttribute(attribute, std::string(seg.value));
      cur->LinkEndChild(made);
      found = made;
    }
    cur = found;
  }
  return cur;
}

TiXmlElement* CXmlConfigDoc::Find(const std::string& expression) { return Walk(expression, false); }

TiXmlElement* CXmlConfigDoc::FindOrCreate(const std::string& expression) { return Walk(expression, true); }

bool CXmlConfigDoc::Get(const std::string& expression, std::string& name, std::optional<std::string>& value) {
  value.reset();
  TiXmlElement* element = Find(expression);
  if (!element) return false;
  switch (ExpressionKind(expression)) {
    case 'e': {
      name = element->Value();
      const TiXmlNode* first = element->FirstChild();
      if (first && first->ToText()) value = std::string(first->Value());
      return true;
    }
    case 'a': {
      auto arr = FindTag(expression, "ARR");
      if (!arr) return false;
      name = std::string(*arr);
      if (const std::string* attr = element->Attribute(name)) value = *attr;
      return true;
    }
    default:
      return false;
  }
}

bool CXmlConfigDoc::Set(const std::string& expression, bool create) {
  char kind = ExpressionKind(expression);
  auto val = FindTag(expression, "VAL");
  auto arr = FindTag(expression, "ARR");
  // The value to store, known before any element is looked up or made.
  std::optional<std::string> text;
  if (kind == 'm' && val) {
    text = std::string(*val);
    if (auto rrl = FindTag(expression, "RRL")) {
      if (auto translated = TranslateRrl(*rrl, *text)) text = *translated;
    }
  }
  if (kind == 'n' && val) text = std::string(*val);
  bool writable = kind == 'm' || kind == 'n';
  if (!writable || (utf8_ && text && !IsValidUtf8(*text)) || (kind == 'n' && utf8_ && arr && !IsValidUtf8(*arr))) {
    current_ = expression;
    return false;
  }
  TiXmlElement* element = Find(expression);
  if (!element && create) element = FindOrCreate(expression);
  if (!element) return false;
  if (kind == 'm') {
    if (!text) return true;
    TiXmlText node(*text);
    if (TiXmlNode* first = element->FirstChild())
      element->ReplaceChild(first, node);
    else
      element->InsertEndChild(node);
    return true;
  }
  if (arr && text && IsXmlName(*arr)) element->SetAttribute(std::string(*arr), *text);
  return true;
}

void CXmlConfigDoc::RemoveAllChildren(const std::string& expression, const std::string& childName) {
  TiXmlElement* element = Find(expression);
  if (!element) return;
  TiXmlElement* child = element->FirstChildElement(childName);
  while (child) {
    TiXmlElement* next = child->NextSiblingElement(childName);
    element->RemoveChild(child);
    child = next;
  }
}

bool CXmlConfigDoc::OpenKeyList(const std::string& path) {
  CloseKeyList();
  keyList_ = std::fopen(path.c_str(), "wb");
  return keyList_ != nullptr;
}

bool CXmlConfigDoc::WriteSetting(const std::string& name, const std::optional<std::string>& value) {
  std::string key;
  if (auto ffn = FindTag(current_, "FFN")) {
    key = *ffn;
  } else if (auto pre = FindTag(current_, "PRE"); pre && !pre->empty()) {
    key = std::string(*pre) + name;
  } else {
    key = name;
  }
  std::string text;
  if (value) {
    text = *value;
    if (auto rrl = FindTag(current_, "RRL")) {
      if (auto translated = TranslateRrl(*rrl, text)) text = *translated;
    }
  }
  return WriteLine(key, text);
}

bool CXmlConfigDoc::WriteLine(const std::string& key, const std::string& value) {
  if (!keyList_) return false;
  // A line break inside a value would start a line of its own when the
  // list is read back, with whatever key the value spells.
  if (key.find('=') != std::string::npos || !IsLineSafe(key) || !IsLineSafe(value)) return false;
  std::string line;
  line.reserve(key.size() + value.size() + 3);
  line.append(key).append("=").append(value).append("\r\n");
  return std::fwrite(line.data(), 1, line.size(), keyList_) == line.size();
}

bool CXmlConfigDoc::CloseKeyList() {
  if (!keyList_) return true;
  bool ok = std::fflush(keyList_) == 0 && !std::ferror(keyList_);
  ok = std::fclose(keyList_) == 0 && ok;
  keyList_ = nullptr;
  return ok;
}

}  // namespace kav::tmpl
