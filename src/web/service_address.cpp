#include "web/service_address.h"

namespace vorlane::web {

Text CompleteScheme(std::string_view url) {
  if (url.starts_with(kHttpScheme) || url.starts_with(kHttpsScheme)) return Text(url);
  Text completed(kHttpScheme);
  completed += url;
  return completed;
}

bool IsSecureAddress(const UrlSplit& address) {
  return address.scheme == kHttpsScheme;
}

}  // namespace vorlane::web
