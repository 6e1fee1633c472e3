#include "config/app_config.h"

#include <cstdio>
#include <memory>

#include "text/gbk_file.h"
#include "text/gbk_text.h"
#include "text/text_file_encoding.h"

extern const unsigned char vorlane_default_ini[];
extern const std::size_t vorlane_default_ini_size;

namespace vorlane::config {
namespace {

constexpr size_t kMaxIniBytes = 1 << 20;

std::string_view Trim(std::string_view s) {
  return TrimBytes(s, " \t\r");
}

std::string ReadSmallFile(const Text& path) {
  UniqueFile f = OpenGbkFile(path, "rb");
  std::string data;
  if (!f) return data;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0 && data.size() < kMaxIniBytes) data.append(buf, n);
  return data;
}

}  // namespace

void AppConfig::Merge(std::string_view iniText) {
  // Read as any text file is; a NUL ends the text, as it always did for UTF-8.
  const Text text = TextFileToGbk(Bytes(iniText), std::string_view("\0", 1));
  std::string section;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t eol = rest.find('\n');
    std::string_view line = Trim(rest.substr(0, eol));
    rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      section = ToLower(Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    values_[section + "." + ToLower(Trim(line.substr(0, eq)))] = Text(Trim(line.substr(eq + 1)));
  }
}

Text AppConfig::Get(const std::string& section, const std::string& key, const Text& fallback) const {
  auto it = values_.find(ToLower(section) + "." + ToLower(key));
  return it == values_.end() ? fallback : it->second;
}

bool AppConfig::Has(const std::string& section, const std::string& key) const {
  return values_.count(ToLower(section) + "." + ToLower(key)) != 0;
}

void AppConfig::Set(const std::string& section, const std::string& key, const Text& value) {
  values_[ToLower(section) + "." + ToLower(key)] = value;
}

AppConfig AppConfig::Defaults() {
  AppConfig config;
  config.Merge(
      std::string_view(reinterpret_cast<const char*>(vorlane_default_ini), vorlane_default_ini_size));
  return config;
}

AppConfig AppConfig::Load(const Text& folder) {
  AppConfig config = Defaults();
  Text path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') {
#ifdef _WIN32
    path += '\\';
#else
    path += '/';
#endif
  }
  config.Merge(ReadSmallFile(path + "vorlane.ini"));
  return config;
}

bool SwitchValue(const AppConfig& config, const std::string& section, const std::string& key, bool fallback) {
  const Text value = config.Get(section, key);
  if (value == "0") return false;
  if (value == "1") return true;
  return fallback;
}

}  // namespace vorlane::config
