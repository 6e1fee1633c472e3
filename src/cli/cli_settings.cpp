#include "cli/cli_settings.h"

#include <cstdio>

#include "text/gbk_file.h"
#include "text/gbk_text.h"

namespace vorlane::cli {
namespace {

constexpr size_t kMaxIniBytes = 1 << 20;

// A time in seconds (fractions allowed) between a tenth of a second and an hour;
// anything else keeps the default, as the window reads [network].
std::chrono::milliseconds Seconds(const config::AppConfig& config, const char* key,
                                  std::chrono::milliseconds fallback) {
  const Text text = TrimBoth(config.Get("network", key));
  const double seconds = ToNumber(text);
  if (text.empty() || !(seconds >= 0.1 && seconds <= 3600)) return fallback;
  return std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000 + 0.5));
}

std::optional<std::string> ReadIni(const std::string& path) {
  UniqueFile file = OpenGbkFile(path, "rb");
  if (!file) return std::nullopt;
  std::string data;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0 && data.size() < kMaxIniBytes) data.append(buf, n);
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
  s.timeouts.connect = Seconds(config, "connect_timeout", s.timeouts.connect);
  s.timeouts.send = Seconds(config, "send_timeout", s.timeouts.send);
  s.timeouts.receive = Seconds(config, "receive_timeout", s.timeouts.receive);
  s.deadlineMicros =
      Seconds(config, "check_deadline", std::chrono::milliseconds(s.deadlineMicros / 1000)).count() * 1000;
  return s;
}

}  // namespace vorlane::cli
