#include "check/product_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "check/product_list_controller.h"
#include "check_test_util.h"
#include "fake_checks.h"
#include "fake_main_view.h"
#include "support/fake_scheduler.h"
#include "support/fake_system_port.h"
#include "support/temp_folder.h"
#include "support/utf16_file.h"
#include "text/message_pump.h"

namespace vorlane::check {
namespace {

using test::FakeMainView;
using test::FoundPage;
using test::Gbk;
using test::NotFoundPage;
using test::Utf8;
using vorlane::test::FakeScheduler;
using vorlane::test::FakeSystemPort;
using vorlane::test::Utf16File;

std::vector<Text> Lines(std::initializer_list<const char*> items) {
  return {items.begin(), items.end()};
}

TEST(SplitTitleLines, SplitsAtCrLfOnly) {
  EXPECT_EQ(SplitTitleLines("x\r\ny\r\nz\r\n"), Lines({"x", "y", "z"}));
  EXPECT_EQ(SplitTitleLines("x\r\ny\r\nz"), Lines({"x", "y", "z"}));
  EXPECT_EQ(SplitTitleLines("x\r\n\r\nz"), Lines({"x", "", "z"}));
  EXPECT_EQ(SplitTitleLines("x\ny\nz\n"), Lines({"x\ny\nz\n"}));
  EXPECT_EQ(SplitTitleLines("x\ry"), Lines({"x\ry"}));
  EXPECT_EQ(SplitTitleLines(""), Lines({}));
  EXPECT_EQ(SplitTitleLines("\r\n"), Lines({""}));
  EXPECT_EQ(SplitTitleLines("\r\n\r\n"), Lines({"", ""}));
}

TEST(SplitTitleLines, StepsOverDoubleByteCharacters) {
  // A lead byte takes the CR as its second byte, so that CR LF is no separator.
  EXPECT_EQ(SplitTitleLines("a\xB0\r\nb"), Lines({"a\xB0\r\nb"}));
  // A whole character before CR LF splits as usual.
  Text dress = Gbk("裙");
  EXPECT_EQ(SplitTitleLines(dress + "\r\n" + dress), std::vector<Text>({dress, dress}));
  // A lone lead byte at the very end stays in the last line.
  EXPECT_EQ(SplitTitleLines("a\r\n\xB0"), Lines({"a", "\xB0"}));
}

TEST(FormatCheckTime, NoLeadingZerosButForMinutesAndSeconds) {
  EXPECT_EQ(FormatCheckTime({2013, 11, 9, 8, 5, 7}), "2013-11-9 8:05:07");
  EXPECT_EQ(FormatCheckTime({2026, 1, 1, 0, 0, 0}), "2026-1-1 0:00:00");
  EXPECT_EQ(FormatCheckTime({2026, 12, 31, 23, 59, 59}), "2026-12-31 23:59:59");
}

TEST(CellColourTable, AddsReplacesAndRemovesEntries) {
  const ListColours own{0x000000, 0xFFFFFF};
  CellColourTable table;
  table.Set(0, 2, 0, 0x00FF00, own);
  table.Set(1, 2, 0, 0x0000FF, own);
  ASSERT_EQ(table.entries().size(), 2u);
  table.Set(0, 2, 0, 0x0000FF, own);  // set twice: one entry, latest colours
  ASSERT_EQ(table.entries().size(), 2u);
  EXPECT_EQ(table.Find(0, 2)->background, 0x0000FFu);
  EXPECT_EQ(table.entries()[0].row, 0);            // kept its place in the order
  table.Set(0, 2, own.text, own.background, own);  // back to the list's own colours
  EXPECT_EQ(table.Find(0, 2), nullptr);
  ASSERT_EQ(table.entries().size(), 1u);
  EXPECT_EQ(table.Find(1, 2)->background, 0x0000FFu);  // index still right after removal
  table.Set(5, 1, own.text, own.background, own);      // own colours on a plain cell: nothing
  EXPECT_EQ(table.entries().size(), 1u);
  EXPECT_EQ(table.Find(2, 1), nullptr);
}

class TempDir {
 public:
  // Writes `bytes` to a new file and returns its path as the program holds paths.
  Text Write(const std::string& name, const std::string& bytes) {
    vorlane::test::WriteFileBytes(folder_ / name, bytes);
    return (folder_ / name).string();
  }
  Text Missing() const { return (folder_ / "missing.txt").string(); }

 private:
  vorlane::test::TempFolder folder_{"vorlane-titles"};
};

TEST(ReadTitlesFile, TextEndsAtNulOrCtrlZ) {
  TempDir dir;
  EXPECT_EQ(ReadTitlesFile(dir.Write("a.txt", std::string("a\r\nb\0c\r\nd", 9))).lines, Lines({"a", "b"}));
  EXPECT_EQ(ReadTitlesFile(dir.Write("b.txt",
                                     "a\r\nb\x1A"
                                     "c\r\nd"))
                .lines,
            Lines({"a", "b"}));
  TitlesFile empty = ReadTitlesFile(dir.Write("c.txt", ""));
  EXPECT_EQ(empty.error, TitlesFileError::kNone);
  EXPECT_TRUE(empty.lines.empty());
}

// `head`, then `piece` `times` over.
template <class String>
String Repeat(String head, const String& piece, int times) {
  for (int i = 0; i < times; ++i) head += piece;
  return head;
}

TEST(ReadTitlesFile, ReadsGbkUtf8AndUtf16FilesAsGbkLines) {
  const Text dress = Gbk("夏季连衣裙");
  const Text lamp = Gbk("复古台灯");
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Text> lines;
  };
  const Case cases[] = {
      {"GBK, byte for byte", Gbk("夏季连衣裙\r\n复古台灯￥9.9\r\n"), {dress, lamp + Gbk("￥9.9")}},
      {"GBK junk that is no UTF-8", "\x01\x81\xFF\xC0\xAF\r\n\xFE", {"\x01\x81\xFF\xC0\xAF", "\xFE"}},
      {"UTF-8 with BOM", "\xEF\xBB\xBF夏季连衣裙\r\n复古台灯", {dress, lamp}},
      {"UTF-8 BOM before ASCII",
       "\xEF\xBB\xBF"
       "abc\r\nd",
       {"abc", "d"}},
      {"UTF-8",
       "夏季连衣裙 €9.9\r\n\r\n复古台灯\r\n",
       {dress + " \x80"
                "9.9",
        "", lamp}},
      {"UTF-8, lone CR and LF", "a\rb\nc\r\n夏季连衣裙", {"a\rb\nc", dress}},
      {"UTF-8 ends at NUL", "复古台灯\r\nb" + std::string(1, '\0') + "\xFF", {lamp, "b"}},
      {"UTF-8 ends at Ctrl+Z", "复古台灯\x1A\xFF", {lamp}},
      {"UTF-8 after a BOM, bad bytes",
       "\xEF\xBB\xBF"
       "a\xFF"
       "b",
       {"a?b"}},
      {"UTF-8, characters GBK lacks", "a😀b\r\n한¥\xEE\x80\x80", {"a?b", "???"}},
      {"UTF-16 LE", Utf16File(u"夏季连衣裙\r\n复古台灯\r\n", false), {dress, lamp}},
      {"UTF-16 BE", Utf16File(u"夏季连衣裙\r\n\r\n复古台灯", true), {dress, "", lamp}},
      // 一 and 氚 hold a zero byte and a Ctrl+Z byte; the units end the text.
      {"UTF-16 LE ends at U+001A",
       Utf16File(u"一氚\r\nb\x1A"
                 u"c",
                 false),
       {Gbk("一氚"), "b"}},
      {"UTF-16 BE ends at U+0000",
       Utf16File(std::u16string_view(u"一氚\r\nb\0c", 7), true),
       {Gbk("一氚"), "b"}},
      {"UTF-16, characters GBK lacks",
       Utf16File(std::u16string{u'a', 0xD83D, 0xDE00, u'b', 0xDC00, u'\r', u'\n', 0xD55C, 0xE000}, false),
       {"a?b?", "??"}},
      {"UTF-16, odd trailing byte", Utf16File(u"ab", false) + "c", {"ab"}},
      {"UTF-16, empty", "\xFF\xFE", {}},
      // Long enough to be converted in pieces, with characters of every length
      // lying across wherever the pieces end.
      {"UTF-8, long", Repeat<std::string>("a", "é夏😀", 80000), {Repeat<Text>("a", Gbk("é夏") + "?", 80000)}},
      {"UTF-16, long",
       Utf16File(Repeat<std::u16string>(u"a", u"é夏😀", 80000), false),
       {Repeat<Text>("a", Gbk("é夏") + "?", 80000)}},
  };
  TempDir dir;
  int n = 0;
  for (const Case& c : cases) {
    const TitlesFile file = ReadTitlesFile(dir.Write(Text("e") + std::to_string(++n) + ".txt", c.bytes));
    EXPECT_EQ(file.error, TitlesFileError::kNone) << c.what;
    EXPECT_EQ(file.lines, c.lines) << c.what;
  }
}

TEST(ReadTitlesFile, MissingOrOversizedFilesAreErrorsNotEmptyLists) {
  TempDir dir;
  EXPECT_EQ(ReadTitlesFile(dir.Missing()).error, TitlesFileError::kUnreadable);
  std::string big(static_cast<size_t>(kMaxTitlesFileBytes) + 1, 'x');
  EXPECT_EQ(ReadTitlesFile(dir.Write("big.txt", big)).error, TitlesFileError::kTooLarge);
}

TEST(ReadTitlesFile, BinaryJunkAndHugeLinesGiveWholeLines) {
  TempDir dir;
  std::string junk;
  unsigned seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245 + 12345;
    char c = static_cast<char>(seed >> 16);
    junk += (c == 0 || c == 0x1A) ? 'x' : c;  // keep the whole file as text
  }
  TitlesFile file = ReadTitlesFile(dir.Write("junk.bin", junk));
  ASSERT_EQ(file.error, TitlesFileError::kNone);
  size_t total = 0;
  for (const Text& line : file.lines) total += line.size() + 2;
  // Every byte is in a line but the CR LF pairs that separated them.
  EXPECT_GE(total, junk.size());
  EXPECT_LE(total, junk.size() + 2);

  std::string longLine(1 << 20, 'a');
  file = ReadTitlesFile(dir.Write("long.txt", longLine + "\r\n" + longLine));
  ASSERT_EQ(file.lines.size(), 2u);
  EXPECT_EQ(file.lines[1].size(), longLine.size());
}

// The pass the row checks of these tests count in.
constexpr std::uint32_t kPass = 1;

class ProductListTest : public ::testing::Test, protected test::FakeChecks {
 protected:
  void Import(const std::string& bytes) {
    view.fileChoices.push_back(dir.Write(Text("t") + std::to_string(++files) + ".txt", bytes));
    rows.ReplaceTitlesFromFile();
  }
  void Add(const std::string& bytes) {
    view.fileChoices.push_back(dir.Write(Text("t") + std::to_string(++files) + ".txt", bytes));
    rows.AppendTitlesFromFile();
  }
  void CheckAndDeliver(int row) {
    rows.CheckRow(row, kPass);
    scheduler.DrainPosted();
  }
  std::string Cell(int row, int column) {
    if (row >= list.count()) {
      ADD_FAILURE() << "no row " << row << " in a list of " << list.count();
      return {};
    }
    return Utf8(list.cell(row, column));
  }

  TempDir dir;
  int files = 0;
  ProductList list;
  ProductListController rows{context, list};
};

TEST_F(ProductListTest, ImportNumbersRowsFromOneAndAppendContinues) {
  Import("x\r\ny\r\nz\r\n");
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(view.listRows, 3);
  EXPECT_EQ(Cell(0, kColumnNumber), "1");
  EXPECT_EQ(Cell(2, kColumnNumber), "3");
  EXPECT_EQ(Cell(2, kColumnTitle), "z");
  EXPECT_EQ(list.title(3), "z");
  Add("p\r\nq");
  Add("r\r\ns");
  ASSERT_EQ(list.count(), 7);
  EXPECT_EQ(Cell(5, kColumnNumber), "6");
  EXPECT_EQ(Cell(6, kColumnNumber), "7");
  EXPECT_EQ(Cell(6, kColumnTitle), "s");
  EXPECT_EQ(view.visibleRows.back(), 6);
}

TEST_F(ProductListTest, ImportReplacesRowsAndColours) {
  Import("a\r\nb\r\nc\r\nd\r\ne");
  table.Set(BuildSearchUrl("site.test", "a"), {FoundPage("3"), false});
  CheckAndDeliver(1);
  ASSERT_NE(list.colours().Find(0, kColumnStatus), nullptr);
  Import(Gbk("新一\r\n新二"));
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(Cell(0, kColumnNumber), "1");
  EXPECT_EQ(Cell(0, kColumnTitle), "新一");
  EXPECT_EQ(Cell(0, kColumnStatus), "");
  EXPECT_TRUE(list.colours().entries().empty());
}

TEST_F(ProductListTest, CancelledDialogChangesNothing) {
  Import("a\r\nb");
  view.fileChoices.push_back(std::nullopt);
  rows.ReplaceTitlesFromFile();
  EXPECT_EQ(list.count(), 2);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(ProductListTest, UnreadableFileKeepsTheListAndSaysSo) {
  Import("a\r\nb");
  view.fileChoices.push_back(dir.Missing());
  rows.ReplaceTitlesFromFile();
  EXPECT_EQ(list.count(), 2);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].caption), "提示");
  EXPECT_EQ(Utf8(view.messages[0].text), "文件读取失败：" + dir.Missing() + "\r\n宝贝列表保持不变。");
  view.fileChoices.push_back(dir.Missing());
  rows.AppendTitlesFromFile();
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(view.messages.size(), 2u);
}

// The most rows the list holds, and a file of `lines` empty lines.
constexpr int kRowLimit = 500000;
std::string EmptyLines(int lines) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(lines) * 2);
  for (int i = 0; i < lines; ++i) bytes += "\r\n";
  return bytes;
}
std::string TooManyNotice(const Text& path) {
  return "宝贝太多：" + path + "\r\n宝贝列表不能超过500000行，宝贝列表保持不变。";
}

TEST_F(ProductListTest, ImportOfMoreRowsThanTheListHoldsIsRefusedWhole) {
  Import("a\r\nb");
  const Text path = dir.Write("many.txt", EmptyLines(kRowLimit + 1));
  view.fileChoices.push_back(path);
  rows.ReplaceTitlesFromFile();
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(view.listRows, 2);
  EXPECT_EQ(Cell(1, kColumnTitle), "b");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text), TooManyNotice(path));
  EXPECT_EQ(Utf8(view.messages[0].caption), "提示");
  EXPECT_EQ(view.messages[0].style, kMbOk | kMbIconExclamation | kMbTaskModal);

  Import(EmptyLines(kRowLimit));
  EXPECT_EQ(list.count(), kRowLimit);
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(ProductListTest, AddingRowsPastTheLimitIsRefusedWhole) {
  Import("a\r\nb\r\nc");
  const Text path = dir.Write("more.txt", EmptyLines(kRowLimit - 2));
  view.fileChoices.push_back(path);
  rows.AppendTitlesFromFile();
  EXPECT_EQ(list.count(), 3);
  EXPECT_EQ(view.listRows, 3);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(Utf8(view.messages[0].text), TooManyNotice(path));

  Add(EmptyLines(kRowLimit - 3));  // up to the limit exactly
  ASSERT_EQ(list.count(), kRowLimit);
  EXPECT_EQ(Cell(kRowLimit - 1, kColumnNumber), "500000");
  Add("x");
  EXPECT_EQ(list.count(), kRowLimit);
  EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(ProductListTest, ImportLeavesDrawingTheNewRowsToTheList) {
  Import(EmptyLines(1000));
  Add("x\r\ny");
  // The new row count repaints what is in sight; asking for every row again would
  // cost the window a round trip per row.
  EXPECT_TRUE(view.redrawn.empty());
  EXPECT_EQ(view.listRows, 1002);
  EXPECT_EQ(view.visibleRows, (std::vector<int>{999, 1001}));
}

TEST_F(ProductListTest, IndexedRowGetsStatusCountTimeAndGreen) {
  Import("a\r\nb");
  table.Set(BuildSearchUrl("site.test", "a"), {FoundPage("12"), false});
  CheckAndDeliver(1);
  EXPECT_EQ(Cell(0, kColumnStatus), "已收录");
  EXPECT_EQ(Cell(0, kColumnCount), "12");
  EXPECT_EQ(Cell(0, kColumnTime), "2013-11-9 8:05:07");
  ListColours c = rows.CellColours(0, kColumnStatus);
  EXPECT_EQ(c.text, 0x000000u);
  EXPECT_EQ(c.background, 65280u);
  EXPECT_EQ(rows.CellColours(0, kColumnTitle).background, view.ownColours.background);
  EXPECT_EQ(list.Tally(kPass).notIndexed, 0);
}

TEST_F(ProductListTest, CountTextIsKeptAsThePageWroteIt) {
  Import("a");
  table.Set(BuildSearchUrl("site.test", "a"), {FoundPage(" 1 "), false});
  CheckAndDeliver(1);
  EXPECT_EQ(Cell(0, kColumnCount), " 1 ");
}

TEST_F(ProductListTest, NotIndexedRowIsRedAndKeepsItsEarlierTime) {
  Import("a");
  const Text url = BuildSearchUrl("site.test", "a");
  table.Set(url, {FoundPage("4"), false});
  CheckAndDeliver(1);
  scheduler.now = {2014, 1, 2, 3, 4, 5};
  table.Set(url, {NotFoundPage(), false});
  CheckAndDeliver(1);
  EXPECT_EQ(Cell(0, kColumnStatus), "未收录");
  EXPECT_EQ(Cell(0, kColumnCount), "0");
  EXPECT_EQ(Cell(0, kColumnTime), "2013-11-9 8:05:07");
  EXPECT_EQ(rows.CellColours(0, kColumnStatus).background, 255u);
  EXPECT_EQ(list.Tally(kPass).notIndexed, 1);
  ASSERT_EQ(list.colours().entries().size(), 1u);
}

TEST_F(ProductListTest, FailedCheckIsNeitherIndexedNorNotIndexed) {
  Import("a");
  const Text url = BuildSearchUrl("site.test", "a");
  table.Set(url, {FoundPage("4"), false});
  CheckAndDeliver(1);
  table.Set(url, {Text(), true});
  CheckAndDeliver(1);
  EXPECT_EQ(Cell(0, kColumnStatus), "查询失败");
  EXPECT_EQ(Cell(0, kColumnCount), "4");
  EXPECT_EQ(Cell(0, kColumnTime), "2013-11-9 8:05:07");
  EXPECT_EQ(rows.CellColours(0, kColumnStatus).background, kColourAmber);
  EXPECT_EQ(list.Tally(kPass).notIndexed, 0);
  EXPECT_EQ(list.Tally(kPass).failed, 1);
}

TEST_F(ProductListTest, EmptyTitleIsCheckedAtTheBareSearchAddress) {
  Import("\r\nb");
  ASSERT_EQ(list.count(), 2);
  table.Set("http://site.test/book/search/", {NotFoundPage(), false});
  CheckAndDeliver(1);
  EXPECT_EQ(table.Calls("http://site.test/book/search/"), 1);
  EXPECT_EQ(Cell(0, kColumnStatus), "未收录");
}

TEST_F(ProductListTest, VerdictOfACheckStartedBeforeAnImportIsDropped) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Import("old");
  table.Set(BuildSearchUrl("site.test", "old"), {FoundPage("9"), false});
  rows.CheckRow(1, kPass);
  Import("new");
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Cell(0, kColumnTitle), "new");
  EXPECT_EQ(Cell(0, kColumnStatus), "");
  EXPECT_TRUE(list.colours().entries().empty());
}

std::function<void()> onPump;

TEST_F(ProductListTest, AnImportWhileARowCheckIsUnderWayNeverLandsItsVerdictInTheNewRows) {
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  Import("old");
  table.Set(BuildSearchUrl("site.test", "old"), {FoundPage("9"), false});
  // The window's messages get through while the title is escaped; an import is
  // among them.
  onPump = [this] { Import("new"); };
  SetMessagePump([] {
    if (auto import = std::exchange(onPump, nullptr)) import();
  });
  rows.CheckRow(1, kPass);
  scheduler.RunDeferredWorkers();
  SetMessagePump(nullptr);
  scheduler.DrainPosted();
  EXPECT_EQ(Cell(0, kColumnTitle), "new");
  EXPECT_EQ(Cell(0, kColumnStatus), "");
}

// The status cell's tip, and the status bar for the selected row: since when the
// status has held, and why a failed check failed.
TEST_F(ProductListTest, ARowsTipSaysSinceWhenItsStatusHeldAndWhyItFailed) {
  Import("a\r\nb\r\nc\r\nd\r\ne");
  table.Set(BuildSearchUrl("site.test", "a"), {Text(), true, 502});
  table.Set(BuildSearchUrl("site.test", "b"), {Gbk("<html>请先登录</html>"), false});
  table.Set(BuildSearchUrl("site.test", "c"), {NotFoundPage(), false});
  table.Set(BuildSearchUrl("site.test", "d"), {FoundPage("7"), false});
  for (int row = 1; row <= 4; ++row) CheckAndDeliver(row);
  EXPECT_EQ(Utf8(rows.RowTip(0)), "查询失败，网站返回错误代码 502，请稍后重试（自 2013-11-9 8:05:07 起）");
  EXPECT_EQ(Utf8(rows.RowTip(1)),
            "查询失败，网站返回的不是搜索结果页（可能需要登录或网站已改版），请稍后重试（自 2013-11-9 "
            "8:05:07 起）");
  EXPECT_EQ(Utf8(rows.RowTip(2)), "未收录，自 2013-11-9 8:05:07 起");
  EXPECT_EQ(Utf8(rows.RowTip(3)), "已收录，自 2013-11-9 8:05:07 起");
  EXPECT_EQ(rows.RowTip(4), "");  // never checked: the list's own tip stays
  EXPECT_EQ(rows.RowTip(5), "");
  EXPECT_EQ(list.Tally(kPass).failed, 2);

  view.status[1] = Gbk("公告");
  for (int row : {0, 2, 3}) {
    view.selectedRow = row;
    rows.OnListSelectionChanged();
    EXPECT_EQ(view.status[1], rows.RowTip(row)) << row;
  }
  view.selectedRow = 4;  // a row never checked puts back what the tips covered
  rows.OnListSelectionChanged();
  EXPECT_EQ(Utf8(view.status[1]), "公告");

  // While a row is being checked it has no tip.
  scheduler.workers = vorlane::test::FakeScheduler::Workers::kDeferred;
  rows.CheckRow(4, kPass);
  EXPECT_EQ(rows.RowTip(3), "");
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(Utf8(rows.RowTip(3)), "已收录，自 2013-11-9 8:05:07 起");
}

// A status that holds keeps its start however often it is checked again; a new
// status starts at its verdict, and the selected row's status bar text follows it
// as the verdict lands.
TEST_F(ProductListTest, SinceWhenMovesOnlyWhenTheStatusChanges) {
  Import("a\r\nb");
  const Text url = BuildSearchUrl("site.test", "a");
  auto at = [this](int hour, int minute) { scheduler.now = LocalDateTime{2026, 12, 9, hour, minute, 7}; };
  view.status[1] = Gbk("公告");
  view.selectedRow = 0;
  rows.OnListSelectionChanged();
  EXPECT_EQ(Utf8(view.status[1]), "公告");

  table.Set(url, {FoundPage("2"), false});
  at(8, 5);
  CheckAndDeliver(1);
  EXPECT_EQ(Utf8(view.status[1]), "已收录，自 2026-12-9 8:05:07 起");
  at(9, 15);
  CheckAndDeliver(1);
  EXPECT_EQ(Utf8(rows.RowTip(0)), "已收录，自 2026-12-9 8:05:07 起");
  EXPECT_EQ(Cell(0, kColumnTime), "2026-12-9 9:15:07");  // the check time moves on

  table.Set(url, {NotFoundPage(), false});
  at(10, 30);
  CheckAndDeliver(1);
  EXPECT_EQ(Utf8(view.status[1]), "未收录，自 2026-12-9 10:30:07 起");
  EXPECT_EQ(view.status[1], rows.RowTip(0));

  table.Set(url, {Text(), true});
  at(11, 45);
  CheckAndDeliver(1);
  EXPECT_EQ(Utf8(view.status[1]), "查询失败，请检查网络后重试（自 2026-12-9 11:45:07 起）");
  at(12, 0);
  CheckAndDeliver(1);
  EXPECT_EQ(Utf8(view.status[1]), "查询失败，请检查网络后重试（自 2026-12-9 11:45:07 起）");

  // A verdict for a row that is not selected leaves the status bar alone.
  table.Set(BuildSearchUrl("site.test", "b"), {FoundPage("1"), false});
  CheckAndDeliver(2);
  EXPECT_EQ(Utf8(view.status[1]), "查询失败，请检查网络后重试（自 2026-12-9 11:45:07 起）");
  view.selectedRow = 1;
  rows.OnListSelectionChanged();
  EXPECT_EQ(Utf8(view.status[1]), "已收录，自 2026-12-9 12:00:07 起");
}

// Each verdict that lands is told once, with the status the row had when its check
// began; a dropped verdict (a late one, or one for rows since replaced) is not told.
TEST_F(ProductListTest, EveryVerdictThatLandsIsToldWithTheStatusBefore) {
  std::vector<RowVerdict> told;
  const int id = rows.AddVerdictListener([&told](const RowVerdict& v) { told.push_back(v); });
  Import("a\r\nb");
  const Text a = BuildSearchUrl("site.test", "a");
  table.Set(a, {FoundPage("4"), false});
  table.Set(BuildSearchUrl("site.test", "b"), {Text(), true, 503});
  CheckAndDeliver(1);
  CheckAndDeliver(2);
  table.Set(a, {NotFoundPage(), false});
  rows.CheckRow(1, kPass + 1);
  scheduler.DrainPosted();
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[0].index, 0);
  EXPECT_EQ(told[0].pass, kPass);
  EXPECT_EQ(told[0].before, CheckStatus::kNone);
  EXPECT_EQ(told[0].after, CheckStatus::kIndexed);
  EXPECT_EQ(told[0].count, "4");
  EXPECT_EQ(told[0].reason, "");
  EXPECT_EQ(told[1].index, 1);
  EXPECT_EQ(told[1].after, CheckStatus::kFailed);
  EXPECT_EQ(Utf8(told[1].reason), "查询失败，网站返回错误代码 503，请稍后重试");
  EXPECT_EQ(told[1].failure, CheckFailure::kHttpStatus);
  EXPECT_EQ(told[1].httpStatus, 503);
  EXPECT_EQ(told[0].failure, CheckFailure::kNone);
  EXPECT_EQ(told[2].pass, kPass + 1);
  EXPECT_EQ(told[2].before, CheckStatus::kIndexed);
  EXPECT_EQ(told[2].after, CheckStatus::kNotIndexed);
  EXPECT_EQ(told[2].count, "0");

  // A verdict for rows an import has replaced is dropped, and not told.
  scheduler.workers = FakeScheduler::Workers::kDeferred;
  rows.CheckRow(1, kPass);
  Import("c");
  scheduler.RunDeferredWorkers();
  scheduler.DrainPosted();
  EXPECT_EQ(told.size(), 3u);

  rows.RemoveVerdictListener(id);
  scheduler.workers = FakeScheduler::Workers::kInline;
  table.Set(BuildSearchUrl("site.test", "c"), {NotFoundPage(), false});
  CheckAndDeliver(1);
  EXPECT_EQ(told.size(), 3u);
}

TEST_F(ProductListTest, RightClickStoresTheSelectedTitleOrNothing) {
  Import(Gbk("甲\r\n乙"));
  view.selectedRow = 1;
  rows.OnListRightClick();
  EXPECT_EQ(Utf8(list.ContextTitle()), "乙");
  EXPECT_EQ(view.menuPopups, 1);
  view.selectedRow = -1;
  rows.OnListRightClick();
  EXPECT_EQ(list.ContextTitle(), "");
  EXPECT_EQ(view.menuPopups, 2);
}

TEST_F(ProductListTest, PickedRowFillsTheTitleBox) {
  Import(Gbk("甲\r\n乙"));
  view.selectedRow = 0;
  rows.OnListItemPicked();
  EXPECT_EQ(Utf8(view.texts[Control::编辑框_标题]), "甲");
}

TEST_F(ProductListTest, ClearButtonEmptiesTheTitleWaitsAndFocuses) {
  view.texts[Control::编辑框_标题] = "abc";
  rows.OnClearTitleClicked();
  EXPECT_EQ(view.texts[Control::编辑框_标题], "");
  EXPECT_EQ(scheduler.delays, std::vector<std::chrono::microseconds>({std::chrono::milliseconds(1)}));
  EXPECT_EQ(view.focused, Control::编辑框_标题);
}

}  // namespace
}  // namespace vorlane::check
