#include "shell/app_config.h"

#include <cstdio>
#include <memory>

#include "text/codepage.h"
#include "text/gbk_file.h"
#include "text/gbk_text.h"

extern const unsigned char vorlane_default_ini[];
extern const std::size_t vorlane_default_ini_size;

namespace vorlane::shell {
namespace {

constexpr size_t kMaxIniBytes = 1 << 20;

std::string_view Trim(std::string_view s) {
  return TrimBytes(s, " \t\r");
}

bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t extra = b < 0x80             ? 0
                   : (b & 0xE0) == 0xC0 ? 1
                   : (b & 0xF0) == 0xE0 ? 2
                   : (b & 0xF8) == 0xF0 ? 3
                                        : 9;
    if (extra == 9 || (extra == 1 && b < 0xC2) || extra > s.size() - i - 1) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
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
  if (iniText.substr(0, 3) == "\xEF\xBB\xBF") iniText.remove_prefix(3);
  Text text = IsUtf8(iniText) ? Utf8ToGbk(iniText) : Text(iniText);
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

}  // namespace vorlane::shell
