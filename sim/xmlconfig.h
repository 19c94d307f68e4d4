// A device's configuration document: the XML that a configuration backup
// carries, addressed with the element paths of the device model.
//
// A path names elements from the root down, one segment per level, separated
// by "/": "wlan/inf[id=$]/ssid".  A segment "name[attr=value]" takes the first
// child of that name whose attribute equals value (ignoring case); a plain
// segment takes the first child of that name; "$" in a path stands for the
// row number given with it.
#pragma once

#include <tinyxml.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kav::sim {

bool validXmlPath(std::string_view path);

class ConfigDoc {
 public:
  ConfigDoc();

  // The default document with the given root name, holding one radio
  // (<wlan><inf id="1">) or, for a dual-band device, also the 5 GHz radio.
  static ConfigDoc defaults(const std::string& rootName, int bandCount);

  bool parse(const std::string& text, std::string* error);
  bool load(const std::string& path, std::string* error);
  // Writes the document so that the file holds either the old or the new
  // text whatever happens: a temporary file in the same folder, flushed to
  // disk, then renamed over the old one.
  bool saveAtomic(const std::string& path, std::string* error) const;
  // The document as text, LF line endings, with its XML declaration.
  std::string text() const;

  std::string rootName() const;
  void setRootName(const std::string& name);
  // Adds the 5 GHz radio (a copy of radio 1 set to wireless mode 9) when a
  // dual-band device's document lacks it.  Returns true if it changed.
  bool ensureRadios(int bandCount);

  // Text of the element, std::nullopt when the element does not exist.
  std::optional<std::string> get(std::string_view path, uint32_t row = 0) const;
  // Sets the element's text, creating missing elements on the way.
  // False only for a malformed path.
  bool set(std::string_view path, std::string_view value, uint32_t row = 0);

  // Texts of the children called `name` of the element at `path`, in
  // document order; empty when the element does not exist.
  std::vector<std::string> childTexts(std::string_view path, std::string_view name) const;
  // Removes every child called `name` of the element at `path`.
  void removeChildren(std::string_view path, std::string_view name);

 private:
  TiXmlDocument doc_;
};

}  // namespace kav::sim
