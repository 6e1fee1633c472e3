// Tests write their Chinese as readable UTF-8; the program holds GBK. These two
// convert between them, through the program's own code pages.
#pragma once

#include <string>
#include <string_view>

#include "text/codepage.h"
#include "text/text.h"

namespace vorlane::test {

inline Text Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8);
}

inline std::string Utf8(const Text& gbk) {
  return GbkToUtf8(gbk);
}

}  // namespace vorlane::test
