#include "cli/cli_settings.h"

#include <cstdio>

#include "config/network_values.h"
#include "text/gbk_file.h"
#include "text/gbk_text.h"

namespace vorlane::cli {
namespace {

constexpr size_t kMaxIniBytes = 1 << 20;

std::optional<std::string> ReadIni(const std::string& path) {
  UniqueFile file = OpenGbkFile(path, "rb");
  if (!file) return std::nullopt;
  std::string data;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0 && data.size() < kMaxIniBytes)
    data.append(buf, n);
  if (std::ferror(file.get())) return std::nullopt;
  return data;
}

}  // namespace

std::optional<config::AppConfig> LoadConfiguration(const Text& programFolder,
                                                   const std::optional<std::string>& configFile) {
  config::AppConfig config =
      programFolder.empty() ? config::AppConfig::Defaults() : config::AppConfig::Load(programFolder);
  if (configFile) {
    std::optional<std::string> text = ReadIni(*configFile);
    if (!text) return std::nullopt;
    config.Merge(*text);
  }
  return config;
}

SiteSettings SiteSettingsFrom(const config::AppConfig& config) {
  SiteSettings s;
  s.host = config.Get("site", "host");
  s.timeouts.connect = config::NetworkSeconds(config, "connect_timeout", s.timeouts.connect);
  s.timeouts.send = config::NetworkSeconds(config, "send_timeout", s.timeouts.send);
  s.timeouts.receive = config::NetworkSeconds(config, "receive_timeout", s.timeouts.receive);
  s.deadline = config::NetworkSeconds(config, "check_deadline",
                                      std::chrono::duration_cast<std::chrono::milliseconds>(s.deadline));
  return s;
}

}  // namespace vorlane::cli
