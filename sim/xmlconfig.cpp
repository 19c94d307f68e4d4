#include "sim/xmlconfig.h"

#include <strings.h>

#include <cctype>
#include <vector>

#include "sim/default_config.h"
#include "sim/files.h"

namespace kav::sim {
namespace {

struct Segment {
  std::string name;
  std::string attr;   // empty: no predicate
  std::string value;
};

bool nameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

std::optional<std::vector<Segment>> parsePath(std::string_view path, uint32_t row) {
  std::vector<Segment> out;
  if (path.empty()) return std::nullopt;
  const std::string rowText = std::to_string(row);
  while (true) {
    size_t slash = path.find('/');
    std::string_view seg = path.substr(0, slash);
    Segment s;
    size_t open = seg.find('[');
    std::string_view name = seg.substr(0, open);
    if (name.empty()) return std::nullopt;
    for (char c : name)
      if (!nameChar(c)) return std::nullopt;
    s.name = name;
    if (open != std::string_view::npos) {
      if (seg.back() != ']') return std::nullopt;
      std::string_view pred = seg.substr(open + 1, seg.size() - open - 2);
      size_t eq = pred.find('=');
      if (eq == std::string_view::npos || eq == 0) return std::nullopt;
      for (char c : pred.substr(0, eq))
        if (!nameChar(c)) return std::nullopt;
      s.attr = pred.substr(0, eq);
      for (char c : pred.substr(eq + 1)) {
        if (c == '$')
          s.value += rowText;
        else if (c == '[' || c == ']' || c == '/')
          return std::nullopt;
        else
          s.value += c;
      }
      if (s.value.empty()) return std::nullopt;
    }
    out.push_back(std::move(s));
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return out;
}

bool matches(const TiXmlElement* e, const Segment& s) {
  if (s.name != e->Value()) return false;
  if (s.attr.empty()) return true;
  const char* v = e->Attribute(s.attr.c_str());
  return v && strcasecmp(v, s.value.c_str()) == 0;
}

TiXmlElement* child(TiXmlNode* parent, const Segment& s) {
  for (TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement())
    if (matches(e, s)) return e;
  return nullptr;
}

TiXmlElement* element(const TiXmlDocument& doc, std::string_view path) {
  auto segs = parsePath(path, 0);
  if (!segs) return nullptr;
  TiXmlElement* node = const_cast<TiXmlElement*>(doc.RootElement());
  for (const Segment& s : *segs) {
    if (!node) return nullptr;
    node = child(node, s);
  }
  return node;
}

TiXmlText* firstText(TiXmlNode* e) {
  for (TiXmlNode* n = e->FirstChild(); n; n = n->NextSibling())
    if (TiXmlText* t = n->ToText()) return t;
  return nullptr;
}

}  // namespace

bool validXmlPath(std::string_view path) { return parsePath(path, 1).has_value(); }

ConfigDoc::ConfigDoc() = default;

ConfigDoc ConfigDoc::defaults(const std::string& rootName, int bandCount) {
  ConfigDoc d;
  std::string error;
  d.parse(kDefaultConfigXml, &error);
  d.setRootName(rootName);
  d.ensureRadios(bandCount);
  return d;
}

bool ConfigDoc::parse(const std::string& text, std::string* error) {
  TiXmlDocument doc;
  doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
  if (doc.Error() || !doc.RootElement()) {
    if (error)
      *error = std::string("XML error: ") + (doc.Error() ? doc.ErrorDesc() : "no root element") + " at line " +
               std::to_string(doc.ErrorRow());
    return false;
  }
  doc_ = doc;
  return true;
}

bool ConfigDoc::load(const std::string& path, std::string* error) {
  auto data = readFile(path);
  if (!data) {
    if (error) *error = "cannot read " + path;
    return false;
  }
  if (!parse(*data, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

std::string ConfigDoc::text() const {
  TiXmlPrinter printer;
  printer.SetIndent("  ");
  printer.SetLineBreak("\n");
  doc_.Accept(&printer);
  std::string out = printer.Str();
  if (!doc_.FirstChild() || !doc_.FirstChild()->ToDeclaration())
    out = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n" + out;
  return out;
}

bool ConfigDoc::saveAtomic(const std::string& path, std::string* error) const {
  return writeFileAtomic(path, text(), error);
}

std::string ConfigDoc::rootName() const {
  const TiXmlElement* root = doc_.RootElement();
  return root ? root->Value() : "";
}

void ConfigDoc::setRootName(const std::string& name) {
  if (TiXmlElement* root = doc_.RootElement()) root->SetValue(name);
}

bool ConfigDoc::ensureRadios(int bandCount) {
  if (bandCount < 2 || get("wlan/inf[id=2]")) return false;
  TiXmlElement* root = doc_.RootElement();
  TiXmlElement* wlan = root ? root->FirstChildElement("wlan") : nullptr;
  if (!wlan) {
    set("wlan/inf[id=2]/wlmode", "9");
    return true;
  }
  TiXmlElement* first = child(wlan, *parsePath("inf[id=1]", 1)->begin());
  if (first) {
    TiXmlElement copy(*first);
    copy.SetAttribute("id", "2");
    wlan->InsertAfterChild(first, copy);
  }
  set("wlan/inf[id=2]/wlmode", "9");
  set("wlan/inf[id=2]/channel", "36");
  return true;
}

std::optional<std::string> ConfigDoc::get(std::string_view path, uint32_t row) const {
  auto segs = parsePath(path, row);
  if (!segs) return std::nullopt;
  TiXmlNode* node = const_cast<TiXmlElement*>(doc_.RootElement());
  if (!node) return std::nullopt;
  for (const Segment& s : *segs) {
    node = child(node, s);
    if (!node) return std::nullopt;
  }
  TiXmlText* t = firstText(node);
  return t ? std::string(t->Value()) : std::string();
}

bool ConfigDoc::set(std::string_view path, std::string_view value, uint32_t row) {
  auto segs = parsePath(path, row);
  if (!segs) return false;
  TiXmlNode* node = doc_.RootElement();
  if (!node) return false;
  for (const Segment& s : *segs) {
    TiXmlElement* next = child(node, s);
    if (!next) {
      TiXmlElement e(s.name);
      if (!s.attr.empty()) e.SetAttribute(s.attr, s.value);
      next = node->InsertEndChild(e)->ToElement();
    }
    node = next;
  }
  TiXmlText* t = firstText(node);
  if (value.empty()) {
    if (t) node->RemoveChild(t);
  } else if (t) {
    t->SetValue(std::string(value));
  } else {
    TiXmlText text{std::string(value)};
    if (node->FirstChild())
      node->InsertBeforeChild(node->FirstChild(), text);
    else
      node->InsertEndChild(text);
  }
  return true;
}

std::vector<std::string> ConfigDoc::childTexts(std::string_view path, std::string_view name) const {
  std::vector<std::string> out;
  TiXmlElement* parent = element(doc_, path);
  if (!parent) return out;
  const std::string n(name);
  for (TiXmlElement* e = parent->FirstChildElement(n); e; e = e->NextSiblingElement(n)) {
    TiXmlText* t = firstText(e);
    out.push_back(t ? t->Value() : "");
  }
  return out;
}

void ConfigDoc::removeChildren(std::string_view path, std::string_view name) {
  TiXmlElement* parent = element(doc_, path);
  if (!parent) return;
  const std::string n(name);
  while (TiXmlElement* e = parent->FirstChildElement(n)) parent->RemoveChild(e);
}

}  // namespace kav::sim
