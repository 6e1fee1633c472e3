// The process-wide cookie store of the libcurl service, and the program's own way
// into it.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

#include "text/gbk_text.h"
#include "web/curl_owners.h"
#include "web/http_service.h"

namespace vorlane::web {

namespace {

std::array<std::mutex, CURL_LOCK_DATA_LAST>& StoreLocks() {
  static std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
  return locks;
}

void LockStore(CURL*, curl_lock_data data, curl_lock_access, void*) {
  StoreLocks()[static_cast<size_t>(data)].lock();
}

void UnlockStore(CURL*, curl_lock_data data, void*) {
  StoreLocks()[static_cast<size_t>(data)].unlock();
}

std::string_view Trim(std::string_view text) {
  return TrimBytes(text, " ");
}

// The store's line format separates fields with tabs and ends at a line break, so
// such bytes cannot be part of a cookie.
bool FitsStoreLine(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string HostOf(std::string_view url) {
  size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
  url = url.substr(0, url.find_first_of("/:"));
  return ToLower(url);
}

// A cookie as InternetSetCookie stores it: for the address's host only, with the
// path, expiry and secure flag that its data names, in the store's one-line format.
std::string StoreLine(std::string_view url, std::string_view name, std::string_view data) {
  const size_t semicolon = data.find(';');
  std::string_view value = Trim(data.substr(0, semicolon));
  std::string_view attributes =
      semicolon == std::string_view::npos ? std::string_view() : data.substr(semicolon + 1);
  std::string path = "/";
  bool secure = false;
  int64_t expires = 0;  // session cookie
  while (!attributes.empty()) {
    size_t end = attributes.find(';');
    std::string_view attribute = Trim(attributes.substr(0, end));
    attributes.remove_prefix(end == std::string_view::npos ? attributes.size() : end + 1);
    size_t equals = attribute.find('=');
    std::string_view key = Trim(attribute.substr(0, equals));
    std::string_view setting =
        equals == std::string_view::npos ? std::string_view() : Trim(attribute.substr(equals + 1));
    if (CompareText(key, "path", false) == 0 && setting.starts_with('/')) {
      path = setting;
    } else if (CompareText(key, "secure", false) == 0) {
      secure = true;
    } else if (CompareText(key, "expires", false) == 0) {
      time_t when = curl_getdate(std::string(setting).c_str(), nullptr);
      if (when > 0) expires = when;
      if (when == 0) expires = 1;  // the epoch itself: already gone
    } else if (CompareText(key, "max-age", false) == 0) {
      // Capped at about a century, so that the sum cannot overflow.
      const long long seconds =
          std::min(std::strtoll(std::string(setting).c_str(), nullptr, 10), 3'155'760'000LL);
      expires = seconds <= 0 ? 1 : static_cast<int64_t>(std::time(nullptr)) + seconds;
    }
  }
  std::string host = HostOf(url);
  if (host.empty() || name.empty() || !FitsStoreLine(host) || !FitsStoreLine(name) || !FitsStoreLine(value) ||
      !FitsStoreLine(path)) {
    return {};
  }
  return host + "\tFALSE\t" + path + (secure ? "\tTRUE\t" : "\tFALSE\t") + std::to_string(expires) + "\t" +
         std::string(name) + "\t" + std::string(value);
}

}  // namespace

void EnsureCurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURLSH* SharedCurlStore() {
  static CURLSH* const store = [] {
    EnsureCurlReady();
    CURLSH* share = curl_share_init();
    if (!share) return share;
    curl_share_setopt(share, CURLSHOPT_LOCKFUNC, LockStore);
    curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, UnlockStore);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    return share;
  }();
  return store;
}

void StoreCookie(std::string_view url, std::string_view name, std::string_view data) {
  // An empty name or a tab or line break inside the cookie cannot be expressed in
  // the store's format; such a cookie is not stored.
  const std::string line = StoreLine(url, name, data);
  CURLSH* store = SharedCurlStore();
  if (line.empty() || !store) return;
  CurlEasy easy(curl_easy_init());
  if (!easy) return;
  curl_easy_setopt(easy.get(), CURLOPT_SHARE, store);
  curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, line.c_str());
}

}  // namespace vorlane::web
