// The build's configuration: the site's host, the maker's pages and texts, the
// update address. Compiled-in defaults, overridden key by key by a vorlane.ini
// beside the executable. Values are GBK text.
#pragma once

#include <map>
#include <string>

#include "text/text.h"

namespace vorlane::config {

class AppConfig {
 public:
  // Reads ini text: [section] headers, key = value lines, ';' or '#' comments.
  // UTF-8 (with or without a BOM) and UTF-16 (with a BOM) text is converted to
  // GBK; other text is taken as GBK already (text/text_file_encoding.h).
  void Merge(std::string_view iniText);

  // The value, or `fallback` when the key is not set.
  Text Get(const std::string& section, const std::string& key, const Text& fallback = {}) const;
  // Whether the key is set at all (perhaps to an empty value).
  bool Has(const std::string& section, const std::string& key) const;
  // Sets one key, as a later line of ini text would.
  void Set(const std::string& section, const std::string& key, const Text& value);

  // The compiled-in defaults merged with vorlane.ini from `folder` (when present).
  static AppConfig Load(const Text& folder);
  // The defaults alone.
  static AppConfig Defaults();

 private:
  std::map<std::string, Text> values_;  // "section.key" -> value
};

// An on/off key: "0" is off, "1" is on, anything else (or no value) keeps
// `fallback`.
bool SwitchValue(const AppConfig& config, const std::string& section, const std::string& key, bool fallback);

}  // namespace vorlane::config
