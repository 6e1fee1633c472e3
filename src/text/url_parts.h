// Cut an address into what the web visit connects to. They never fail: a malformed
// address gives some host, path and port, and the visit fails when it uses them.
#pragma once

#include "text/text.h"

namespace vorlane {

Text UrlHost(std::string_view url);  // lower case, without port
Text UrlPath(std::string_view url);  // from the first "/" after the host, query included; "/" if none
int UrlPort(std::string_view url);   // 80 when the address names none

}  // namespace vorlane
