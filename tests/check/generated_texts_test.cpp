// The program's texts are written as UTF-8 in tables (src/*/*_texts.txt) and compiled
// in as GBK by tools/make_texts.py. These cases read a few back through the code-page
// conversion, each chosen for something the generator must get right.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "check/check_texts.h"
#include "check_test_util.h"
#include "shell/shell_texts.h"
#include "update/update_texts.h"
#include "web/notice_box.h"

namespace vorlane::check {
namespace {

// The whole array, so that a stray NUL or a lost byte changes what reads back.
template <std::size_t N>
std::string Read(const char (&gbk)[N]) {
  return test::Utf8(Text(gbk, N - 1));
}

TEST(GeneratedTexts, ChineseReadsBackAsWritten) {
  EXPECT_EQ(Read(texts::kNotFoundMarker), "没有找到你要搜索的");
  // Full-width signs, and digits right after a double-byte character.
  EXPECT_EQ(Read(texts::kIntervalOutOfRange), "注意：自动查询间隔不能＜5分钟、不能＞600分钟！");
  EXPECT_EQ(Read(texts::kRowLimitAfter), "行，宝贝列表保持不变。");
  EXPECT_EQ(test::Utf8(Text(kNoticeCaption)), "友情提醒");
  // Two bytes a character: GBK, not the table's UTF-8.
  EXPECT_EQ(std::string_view(shell::texts::kStopButton).size(), 4u);
}

TEST(GeneratedTexts, EscapesAndEdgeBlanksSurvive) {
  EXPECT_EQ(Read(texts::kCountStartMarker), "title fl\">找到");
  EXPECT_EQ(Read(texts::kQuerying), "正在查询...\r\n");
  EXPECT_EQ(Read(texts::kSuggestPrecise), " [建议您进行精准核对哦]");
  EXPECT_EQ(Read(shell::texts::kPreciseMenu), "精准核对   ");
  EXPECT_EQ(Read(update::texts::kShortenedPath), "...\\");
  EXPECT_EQ(Read(update::texts::kKbInTotalSpaced), "KB 总共( ");
  EXPECT_EQ(Read(shell::texts::kVersion), "1.1");
}

TEST(GeneratedTexts, ContinuedLinesJoinIntoOneText) {
  EXPECT_EQ(Read(update::texts::kAutomaticUpdateFailed),
            "自动更新失败！刚刚打开的是最新版的下载网址\r\n请手动下载，之后卸载旧版，安装新版");
  const std::string help = Read(shell::texts::kHelpLines);
  EXPECT_EQ(help.find("单个查询："), 0u);
  EXPECT_NE(help.find("。\r\n精准核对："), std::string::npos);
  EXPECT_NE(help.find("。\r\n\r\n最新的使用帮助"), std::string::npos);
  EXPECT_EQ(help.substr(help.size() - std::string_view("查看：").size()), "查看：");
}

}  // namespace
}  // namespace vorlane::check
