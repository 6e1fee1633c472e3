#include "web/service_address.h"

#include "text/gbk_text.h"
#include "text/url_parts.h"

namespace vorlane::web {

Text CompleteScheme(std::string_view url) {
  if (url.starts_with(kHttpScheme) || url.starts_with(kHttpsScheme)) return Text(url);
  Text completed(kHttpScheme);
  completed += url;
  return completed;
}

bool IsSecureAddress(std::string_view url) {
  return url.starts_with(kHttpsScheme);
}

int ServicePort(std::string_view url) {
  if (!IsSecureAddress(url)) return UrlPort(url);
  // UrlPort reads "https:" as the authority of such an address; read the part after
  // the scheme as a plain address instead.
  std::string_view rest = url.substr(kHttpsScheme.size());
  std::string_view authority = rest.substr(0, rest.find('/'));
  if (FindText(authority, ":") == -1) return kDefaultHttpsPort;
  Text plain(kHttpScheme);
  plain += rest;
  return UrlPort(plain);
}

Text RequestPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text escaped;
  escaped.reserve(path.size());
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0x0F];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace vorlane::web
