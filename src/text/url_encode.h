#pragma once

#include "text/text.h"

namespace vorlane {

// Converts GBK text to UTF-8 and writes every byte as %XX (upper-case hex). With
// keepSafe, ASCII letters, digits and , - . / stay as they are.
Text UrlEncode(std::string_view gbk, bool keepSafe = false);

}  // namespace vorlane
