// The window wired to the checks: the single and precise checks against a local
// search site, the product list read from the model, its colours, its mouse
// events, monitoring, and the buttons and links that open pages.
#include <filesystem>
#include <fstream>

#include "local_server.h"
#include "search_site.h"
#include "support/temp_folder.h"
#include "win/window_text.h"
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

using vorlane::test::SearchSite;

class ChecksTest : public WindowTest {
 protected:
  void SetUp() override { Open("[site]\nhost=" + site.host() + "\n"); }
  void TearDown() override {
    WindowTest::TearDown();
    if (!titlesFile.empty()) std::filesystem::remove(titlesFile);
  }

  std::wstring Report() { return TextOf(Control(ControlId::编辑框_显示)); }

  // Makes the open-file dialog answer with a file holding `gbkText`.
  void ChooseFileWith(std::string_view gbkText) {
    titlesFile = std::filesystem::temp_directory_path() /
                 ("vorlane-titles-" + std::to_string(::GetCurrentProcessId()) + ".txt");
    std::ofstream(titlesFile, std::ios::binary) << gbkText;
    window->view().SetFileChooser(
        [path = Narrow(titlesFile.wstring())] { return std::optional<Text>(path); });
  }

  int Rows() { return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
  void Select(int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  }
  // The list's notification as the list sends it, to the page it sits on.
  LRESULT NotifyFromList(NMHDR& header) {
    header.hwndFrom = List();
    header.idFrom = static_cast<UINT_PTR>(ControlId::超级列表框1);
    return ::SendMessageW(::GetParent(List()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }
  struct Drawn {
    LRESULT reply;
    COLORREF text, background;
  };
  Drawn CustomDraw(DWORD stage, int row, int column) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
    draw.nmcd.dwDrawStage = stage;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    draw.iSubItem = column;
    draw.clrText = RGB(1, 2, 3);
    draw.clrTextBk = RGB(4, 5, 6);
    const LRESULT reply = NotifyFromList(draw.nmcd.hdr);
    return {reply, draw.clrText, draw.clrTextBk};
  }

  SearchSite site;
  std::filesystem::path titlesFile;
};

// "夏季连衣裙" and "复古台灯" (the first found 12 times, the second not found),
// a blank line between them.
const char kTwoTitles[] =
    "\xCF\xC4\xBC\xBE\xC1\xAC\xD2\xC2\xC8\xB9\r\n\r\n\xB8\xB4\xB9\xC5\xCC\xA8\xB5\xC6\r\n";

TEST_F(ChecksTest, QueryButtonReportsTheVerdictOfTheSite) {
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"  夏季连衣裙\u3000");
  ::SetWindowTextW(Control(ControlId::编辑框_显示), L"old");
  Click(ControlId::按钮_查询);
  const std::wstring indexed =
      L"正在查询...\r\n恭喜您！这个宝贝已经被收录了\r\n宝贝个数：12 [建议您进行精准核对哦]";
  ASSERT_TRUE(PumpUntil([&] { return Report() == indexed; })) << Narrow(Report());
  ASSERT_EQ(site.requests().size(), 1u);
  EXPECT_EQ(site.requests()[0].target, "/book/search/" + vorlane::test::PercentEncodeAll("夏季连衣裙"));

  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"复古台灯");
  Click(ControlId::按钮_查询);
  const std::wstring notIndexed = L"正在查询...\r\n真遗憾...这个宝贝木有被收录哦\r\n";
  ASSERT_TRUE(PumpUntil([&] { return Report() == notIndexed; })) << Narrow(Report());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ChecksTest, AnEmptyTitleIsRefusedWithANoticeAndNoVisit) {
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L" \u3000 ");
  ::SetWindowTextW(Control(ControlId::编辑框_显示), L"old");
  Click(ControlId::按钮_查询);
  Click(ControlId::按钮_精准查询);
  ASSERT_EQ(messages.size(), 2u);
  for (const Message& m : messages) {
    EXPECT_EQ(Wide(m.text), L"宝贝全称不能为空");
    EXPECT_EQ(Wide(m.caption), L"提示");
    EXPECT_EQ(m.style, 0x2030u);  // exclamation, OK, task-modal
    // Owned by the window, which is therefore active again once the box is closed.
    EXPECT_EQ(m.owner, window->hwnd());
  }
  EXPECT_EQ(Report(), L"");
  EXPECT_TRUE(addresses.empty());
  PumpFor(100ms);
  EXPECT_TRUE(site.requests().empty());
}

TEST_F(ChecksTest, PreciseCheckOpensTheSearchPageWithoutVisitingIt) {
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"夏季连衣裙");
  Click(ControlId::按钮_精准查询);
  EXPECT_EQ(addresses, (std::vector<Text>{site.SearchUrl("夏季连衣裙")}));
  EXPECT_TRUE(site.requests().empty());
}

TEST_F(ChecksTest, ImportedTitlesShowInTheListFromTheModel) {
  ChooseFileWith(kTwoTitles);
  Click(ControlId::按钮_导入宝贝全称);
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Cell(0, 0), L"1");
  EXPECT_EQ(Cell(0, 1), L"夏季连衣裙");
  EXPECT_EQ(Cell(1, 1), L"");
  EXPECT_EQ(Cell(2, 0), L"3");
  EXPECT_EQ(Cell(2, 1), L"复古台灯");
  EXPECT_EQ(Cell(2, 2), L"");

  Click(ControlId::按钮_新增宝贝);  // appends after the three
  ASSERT_EQ(Rows(), 6);
  EXPECT_EQ(Cell(3, 0), L"4");
  EXPECT_EQ(Cell(5, 1), L"复古台灯");

  Click(ControlId::按钮_导入宝贝全称);  // replaces them
  EXPECT_EQ(Rows(), 3);
}

TEST_F(ChecksTest, MonitoringChecksEveryRowAndColoursItsStatusCell) {
  ChooseFileWith(kTwoTitles);
  Click(ControlId::按钮_导入宝贝全称);
  Click(ControlId::按钮_开始自动监测);  // the pass runs here, one row a second
  ASSERT_TRUE(PumpUntil([&] { return Cell(0, 2) == L"已收录" && Cell(2, 2) == L"未收录"; }))
      << Narrow(Cell(0, 2)) << " / " << Narrow(Cell(2, 2));
  EXPECT_EQ(Cell(0, 3), L"12");
  EXPECT_FALSE(Cell(0, 4).empty());
  EXPECT_EQ(Cell(2, 3), L"0");
  EXPECT_EQ(TextOf(Control(ControlId::标签_已查询次数)), L"1");
  // Written a second after the last row's check began, which may still be under
  // way on a loaded machine: then it is counted as such after the minutes.
  EXPECT_EQ(StatusText(1).substr(0, 6), L" 共3个宝贝");
  EXPECT_NE(StatusText(1).find(L"10 Min"), std::wstring::npos);

  const DWORD cell = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
  EXPECT_EQ(CustomDraw(cell, 0, 2).background, RGB(0, 255, 0));
  EXPECT_EQ(CustomDraw(cell, 2, 2).background, RGB(255, 0, 0));
  EXPECT_EQ(CustomDraw(cell, 2, 2).text, RGB(0, 0, 0));

  Click(ControlId::按钮_停止);
  EXPECT_EQ(StatusText(1), L" 已停止监测！");
}

TEST_F(ChecksTest, CustomDrawPaintsEachCellInItsOwnColours) {
  ChooseFileWith(kTwoTitles);
  Click(ControlId::按钮_导入宝贝全称);
  window->listController().SetCellColour(1, 2, RGB(0, 0, 0), RGB(255, 0, 0), true);

  EXPECT_EQ(CustomDraw(CDDS_PREPAINT, 0, 0).reply, CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(CustomDraw(CDDS_ITEMPREPAINT, 1, 0).reply, CDRF_NOTIFYSUBITEMDRAW);
  const DWORD cell = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
  const Drawn coloured = CustomDraw(cell, 1, 2);
  EXPECT_EQ(coloured.reply, CDRF_NEWFONT);
  EXPECT_EQ(coloured.text, RGB(0, 0, 0));
  EXPECT_EQ(coloured.background, RGB(255, 0, 0));
  // A cell without an entry gets the list's own colours, not the previous cell's.
  const check::ListColours own = window->view().ListOwnColours();
  const Drawn plain = CustomDraw(cell, 1, 3);
  EXPECT_EQ(plain.text, own.text);
  EXPECT_EQ(plain.background, own.background);
  EXPECT_EQ(CustomDraw(cell, 0, 2).background, own.background);

  // And as painted: the list draws itself into a bitmap, where the cell's free
  // right-hand part is red and the next cell has the list's own background.
  RECT r{};
  r.top = 2;
  r.left = LVIR_BOUNDS;
  ASSERT_TRUE(::SendMessageW(List(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  RECT client;
  ::GetClientRect(List(), &client);
  HDC screen = ::GetDC(List());
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::SendMessageW(List(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  const COLORREF pixel = ::GetPixel(memory, r.right - 4, (r.top + r.bottom) / 2);
  const COLORREF plainPixel = ::GetPixel(memory, r.right + 10, (r.top + r.bottom) / 2);
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(List(), screen);
  EXPECT_EQ(pixel, RGB(255, 0, 0));
  EXPECT_EQ(plainPixel, own.background);
}

TEST_F(ChecksTest, PickingARowCopiesItsTitleIntoTheTitleBox) {
  ChooseFileWith(kTwoTitles);
  Click(ControlId::按钮_导入宝贝全称);
  Select(2);
  NMITEMACTIVATE click{};
  click.hdr.code = static_cast<UINT>(NM_CLICK);
  click.iItem = 2;
  NotifyFromList(click.hdr);
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_标题)), L"复古台灯");
}

TEST_F(ChecksTest, RightClickKeepsTheRowsTitleForThePreciseMenuEntry) {
  ChooseFileWith(kTwoTitles);
  Click(ControlId::按钮_导入宝贝全称);
  Select(0);
  bool menuWasOpen = false;
  window->scheduler().PostToUi([&] {
    HWND menu = ::FindWindowW(L"#32768", nullptr);  // the class of pop-up menus
    menuWasOpen = menu != nullptr && ::IsWindowVisible(menu);
    ::EndMenu();
  });
  NMITEMACTIVATE click{};
  click.hdr.code = static_cast<UINT>(NM_RCLICK);
  click.iItem = 0;
  NotifyFromList(click.hdr);
  EXPECT_TRUE(menuWasOpen);
  EXPECT_EQ(Wide(window->products().ContextTitle()), L"夏季连衣裙");
  ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::精准核对), 0), 0);
  EXPECT_EQ(addresses, (std::vector<Text>{site.SearchUrl("夏季连衣裙")}));
}

TEST_F(ChecksTest, ListMenuGreysWhatCannotBeDoneAndCopiesAndDeletesTheSelectedRow) {
  ChooseFileWith(kTwoTitles);
  Click(ControlId::按钮_导入宝贝全称);
  Select(2);
  std::vector<bool> enabled;
  window->scheduler().PostToUi([&] {
    for (WORD id = static_cast<WORD>(MenuCommand::精准核对);
         id <= static_cast<WORD>(MenuCommand::查看收录报告); ++id) {
      enabled.push_back((::GetMenuState(window->listMenu(), id, MF_BYCOMMAND) & MF_GRAYED) == 0);
    }
    ::EndMenu();
  });
  NMITEMACTIVATE click{};
  click.hdr.code = static_cast<UINT>(NM_RCLICK);
  click.iItem = 2;
  NotifyFromList(click.hdr);
  // No row has failed: 重查失败的宝贝 is greyed, and so is 查看收录报告 while no
  // history has been written.
  EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, true, false, true, false}));

  ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::复制宝贝全称), 0), 0);
  std::wstring copied;
  ASSERT_TRUE(::OpenClipboard(Hwnd()));
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    copied = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  EXPECT_EQ(copied, L"复古台灯");

  Select(0);
  ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::删除宝贝), 0), 0);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Cell(1, 0) + Cell(1, 1), L"2复古台灯");
}

TEST_F(ChecksTest, PreciseMenuEntryWithoutATitleShowsTheHint) {
  ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::精准核对), 0), 0);
  EXPECT_TRUE(addresses.empty());
  EXPECT_EQ(TextOf(Control(ControlId::标签_提示)), L"啊哦！你还没有导入宝贝全称呦！！");
}

TEST_F(ChecksTest, ClearButtonEmptiesTheTitleAndFocusesIt) {
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"夏季连衣裙");
  Click(ControlId::按钮_清空宝贝全称);
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_标题)), L"");
  EXPECT_TRUE(FocusSettlesOn(Control(ControlId::编辑框_标题)));
}

TEST_F(ChecksTest, IntervalBoxTakesFiveToSixHundredMinutes) {
  HWND box = Control(ControlId::编辑框_检索间隔);
  ::SetWindowTextW(box, L"600");
  EXPECT_EQ(window->monitor().IntervalMinutes(), 600);
  ::SetWindowTextW(box, L"3");
  EXPECT_EQ(TextOf(box), L"10");
  EXPECT_EQ(window->monitor().IntervalMinutes(), 10);
  EXPECT_EQ(TextOf(Control(ControlId::标签_提示)), L"注意：自动查询间隔不能＜5分钟、不能＞600分钟！");
}

TEST_F(ChecksTest, StartingWithAnEmptyListAsksForTitles) {
  Click(ControlId::按钮_开始自动监测);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(Wide(messages[0].text), L"请导入宝贝全称");
  EXPECT_EQ(TextOf(Control(ControlId::标签_已查询次数)), L"0");
}

TEST_F(ChecksTest, CustomerServiceButtonsSwapTheirChatsByTheDay) {
  SYSTEMTIME today;
  ::GetLocalTime(&today);
  ClickArea(ControlId::超级按钮_客服1);
  ClickArea(ControlId::超级按钮_客服2);
  ClickArea(ControlId::超级按钮_客服3);
  ASSERT_EQ(addresses.size(), 3u);
  const bool odd = today.wDay % 2 != 0;
  EXPECT_EQ(addresses[0], odd ? "http://127.0.0.1:8765/chat/1" : "http://127.0.0.1:8765/chat/2");
  EXPECT_EQ(addresses[1], odd ? "http://127.0.0.1:8765/chat/2" : "http://127.0.0.1:8765/chat/1");
  EXPECT_EQ(addresses[2], "http://127.0.0.1:8765/chat/3");
}

TEST_F(ChecksTest, BannerHotSpotsOpenAsTheButtonGoesDown) {
  ::SendMessageW(Control(ControlId::透明标签_左侧链接), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ::SendMessageW(Control(ControlId::透明标签_右侧链接), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(addresses, (std::vector<Text>{"http://127.0.0.1:8765/forum/other-tools.html",
                                          "http://127.0.0.1:8765/forum/site-tools.html"}));
}

TEST_F(ChecksTest, HyperlinksAndTheHelpBoxOpenTheirPages) {
  for (ControlId id : {ControlId::超级链接框1, ControlId::超级链接框3}) {
    ::SendMessageW(Control(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(Control(id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }
  ASSERT_GE(addresses.size(), 2u);
  for (const Text& address : addresses) EXPECT_EQ(address, "http://127.0.0.1:8765/help/tutorial.html");
  addresses.clear();

  // The help box shows its page's address as a link that opens it.
  HWND help = Control(ControlId::超文本浏览框3);
  HWND link = nullptr;
  for (HWND child = ::GetWindow(help, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (TextOf(child) == L"http://127.0.0.1:8765/help/") link = child;
  }
  ASSERT_NE(link, nullptr);
  ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  ASSERT_GE(addresses.size(), 1u);
  EXPECT_EQ(addresses[0], "http://127.0.0.1:8765/help/");
}

// A site that takes the request and never answers. The checks give up at their
// deadline whatever the HTTP service does (Wine's WinINet ignores its receive
// time-out), and the worker's late answer is dropped.
class SilentSiteTest : public ChecksTest {
 protected:
  void SetUp() override {
    Open("[site]\nhost=" + silent.authority() + "\n[network]\ncheck_deadline = 1.5\n");
  }
  void TearDown() override {
    silent.Stop();  // lets the waiting workers go before the window does
    ChecksTest::TearDown();
  }

  vorlane::test::LocalServer silent{[](const vorlane::test::RecordedRequest&) {
    return vorlane::test::Reply::Raw("").Pause(std::chrono::hours(24));
  }};
};

constexpr wchar_t kNoAnswer[] = L"查询失败，请检查网络后重试";

TEST_F(SilentSiteTest, TheSingleCheckFailsAtItsDeadline) {
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"夏季连衣裙");
  Click(ControlId::按钮_查询);
  const std::wstring failed = L"正在查询...\r\n" + std::wstring(kNoAnswer) + L"\r\n";
  ASSERT_TRUE(PumpUntil([&] { return Report() == failed; }, 20s)) << Narrow(Report());
  EXPECT_EQ(window->scheduler().runningWorkers(), 1);  // still held by the site
}

TEST_F(SilentSiteTest, ARowCheckFailsAtItsDeadlineAndSaysWhyInItsTipAndWhenSelected) {
  ChooseFileWith("a\r\n");
  Click(ControlId::按钮_导入宝贝全称);
  Click(ControlId::按钮_开始自动监测);
  ASSERT_TRUE(PumpUntil([&] { return Cell(0, 2) == L"查询失败"; }, 20s)) << Narrow(Cell(0, 2));
  wchar_t text[256] = {};
  NMLVGETINFOTIPW tip{};
  tip.hdr.code = static_cast<UINT>(LVN_GETINFOTIPW);
  tip.pszText = text;
  tip.cchTextMax = 256;
  tip.iItem = 0;
  NotifyFromList(tip.hdr);
  // The reason, then since when the row has failed: "（自 2026-12-9 8:05:07 起）".
  const std::wstring tipText = text;
  EXPECT_TRUE(tipText.starts_with(std::wstring(kNoAnswer) + L"（自 2")) << Narrow(tipText);
  EXPECT_TRUE(tipText.ends_with(L" 起）")) << Narrow(tipText);
  // Where a tooltip never shows, selecting the row puts the same text in the status bar.
  Select(0);
  EXPECT_EQ(StatusText(1), tipText);
}

// A site whose two titles are indexed at the first search and not at the next.
class FlippingSiteTest : public ChecksTest {
 protected:
  void SetUp() override { Open("[site]\nhost=" + flipping.host() + "\n"); }

  static vorlane::test::SearchSiteOptions Flipping() {
    using vorlane::test::PageKind;
    auto titles = std::make_shared<vorlane::test::SiteCatalogue>();
    titles->push_back({"a", PageKind::kFound, "5", true});
    titles->push_back({"b", PageKind::kFound, "7", true});
    return {.catalogue = titles, .flipEvery = 1};
  }
  std::vector<NotifyCall> Balloons() {
    std::vector<NotifyCall> shown;
    for (const NotifyCall& call : notifications) {
      if (call.message == NIM_MODIFY && (call.data.uFlags & NIF_INFO) != 0) shown.push_back(call);
    }
    return shown;
  }

  SearchSite flipping{Flipping()};
};

TEST_F(FlippingSiteTest, RowsDroppingOutDuringMonitoringRaiseOneTrayBalloon) {
  ChooseFileWith("a\r\nb\r\n");
  Click(ControlId::按钮_导入宝贝全称);
  Click(ControlId::按钮_开始自动监测);
  ASSERT_TRUE(PumpUntil([&] { return Cell(0, 2) == L"已收录" && Cell(1, 2) == L"已收录"; }));
  EXPECT_TRUE(Balloons().empty());
  for (int minute = 0; minute < 10; ++minute) window->monitor().OnMonitorTick();  // the next pass
  ASSERT_TRUE(PumpUntil([&] { return !Balloons().empty(); })) << Narrow(Cell(1, 2));
  PumpFor(200ms);
  const std::vector<NotifyCall> balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_STREQ(balloons[0].data.szInfoTitle, L"宝贝掉出收录");
  EXPECT_STREQ(balloons[0].data.szInfo, L"本轮监测有 2 个宝贝从已收录变为未收录，第一个：\r\na");
  EXPECT_EQ(Cell(1, 2), L"未收录");
}

// With a data folder, the window keeps the history: the single check's verdict is in
// it, and 查看收录报告 (greyed until there is one) writes the page beside it and
// opens it.
class HistoryWindowTest : public ChecksTest {
 protected:
  void SetUp() override {
    options.data = config::DataValues{.folder = data.path().string(), .keepList = false, .keepHistory = true};
    ChecksTest::SetUp();
  }
  bool ReportEntryEnabled() {
    bool enabled = false;
    window->scheduler().PostToUi([&] {
      enabled =
          (::GetMenuState(window->listMenu(), static_cast<UINT>(MenuCommand::查看收录报告), MF_BYCOMMAND) &
           MF_GRAYED) == 0;
      ::EndMenu();
    });
    NMITEMACTIVATE click{};
    click.hdr.code = static_cast<UINT>(NM_RCLICK);
    click.iItem = -1;
    NotifyFromList(click.hdr);
    return enabled;
  }

  vorlane::test::TempFolder data{"vorlane-window-data"};
};

TEST_F(HistoryWindowTest, TheSingleChecksVerdictIsInTheHistoryAndTheReportOpens) {
  EXPECT_FALSE(ReportEntryEnabled());
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"夏季连衣裙");
  Click(ControlId::按钮_查询);
  ASSERT_TRUE(PumpUntil([&] { return Report().find(L"宝贝个数") != std::wstring::npos; }))
      << Narrow(Report());
  window->history().Flush();
  const std::string history = vorlane::test::ReadFileBytes(data / "history.csv");
  EXPECT_NE(history.find(",夏季连衣裙,indexed,12,\r\n"), std::string::npos) << history;

  ASSERT_TRUE(ReportEntryEnabled());
  ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(MenuCommand::查看收录报告), 0), 0);
  const Text page = (data / "report.html").string();
  ASSERT_TRUE(PumpUntil([&] { return !addresses.empty(); }));
  EXPECT_EQ(addresses, std::vector<Text>{page});
  EXPECT_NE(vorlane::test::ReadFileBytes(data / "report.html").find("夏季连衣裙"), std::string::npos);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace vorlane::shell::test
