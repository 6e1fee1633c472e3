// The main window as laid out: every control's caption and place, the list's
// columns, the fonts, the menus and the initial states, read back from the
// real controls.
#include <algorithm>
#include <cmath>
#include <string>

#include "check/monitor.h"
#include "win/scoped_win.h"
#include "win/window_text.h"
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

struct Expected {
  ControlId id;
  const wchar_t* caption;  // null: not compared
  int x, y, width, height;
};

// Places relative to the tab control for controls on its pages.
const Expected kPageControls[] = {
    {ControlId::超级列表框1, nullptr, 4, 22, 565, 272},
    {ControlId::标签4, L"查询间隔:", 12, 307, 56, 16},
    {ControlId::编辑框_检索间隔, L"10", 71, 301, 37, 25},
    {ControlId::标签11, L"Min", 112, 308, 32, 16},
    {ControlId::标签5, L"已查询次数:", 140, 307, 64, 16},
    {ControlId::标签_已查询次数, L"0", 209, 307, 28, 16},
    {ControlId::按钮_导入宝贝全称, L"导入宝贝全称", 244, 298, 82, 30},
    {ControlId::按钮_新增宝贝, L"新增宝贝", 339, 298, 60, 30},
    {ControlId::按钮_开始自动监测, L"开始自动监测", 412, 298, 82, 30},
    {ControlId::按钮_停止, L"停止", 508, 298, 50, 30},
    {ControlId::标签_提示, L"单个查询:", 11, 339, 200, 16},
    {ControlId::标签2, L"在线客服:", 217, 339, 55, 16},
    {ControlId::超级按钮_客服1, nullptr, 278, 337, 21, 21},
    {ControlId::超级按钮_客服2, nullptr, 311, 337, 21, 21},
    {ControlId::超级按钮_客服3, nullptr, 344, 337, 21, 21},
    {ControlId::单选框_查询全部, L"查询全部", 380, 340, 72, 16},
    {ControlId::单选框_只查未收录, L"只查未收录", 460, 340, 98, 16},
    {ControlId::标签1, L"宝贝全称:", 12, 382, 56, 16},
    {ControlId::编辑框_标题, L"", 71, 364, 300, 50},
    {ControlId::按钮_查询, L"查询收录", 381, 363, 70, 30},
    {ControlId::按钮_精准查询, L"精准核对", 382, 402, 70, 30},
    {ControlId::标签8, L"查询结果:", 12, 438, 54, 16},
    {ControlId::编辑框_显示, L"", 71, 421, 300, 50},
    {ControlId::按钮_清空宝贝全称, L"清空名称", 382, 440, 70, 30},
    {ControlId::超级链接框1, L"-->>查看宝贝全称", 460, 427, 101, 16},
    {ControlId::超级链接框3, L"-->>查看使用教程", 460, 453, 101, 16},
    {ControlId::图片框2, nullptr, 5, 478, 562, 35},
    {ControlId::超文本浏览框3, nullptr, 4, 22, 565, 493},
};

// Places relative to the window's client area, all outside the window.
const Expected kOffWindowControls[] = {
    {ControlId::超文本浏览框1, nullptr, 600, 208, 197, 165},
    {ControlId::超文本浏览框2, nullptr, 2, 644, 288, 111},
    {ControlId::标签3, L"淘货站卖家工具免费下载-->>", 4, 625, 148, 16},
    {ControlId::超级链接框2, L"点击开始下载", 153, 625, 75, 16},
};

class LayoutTest : public WindowTest {
 protected:
  void SetUp() override {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    // The layout is given in pixels at 96 DPI and scaled with the system's DPI.
    if (dpi != 96) {
      GTEST_SKIP() << "display at " << dpi << " DPI";
    }
    Open();
  }

  void ExpectPlace(const Expected& e, HWND reference) {
    HWND control = Control(e.id);
    ASSERT_NE(control, nullptr) << static_cast<int>(e.id);
    const RECT r = PlaceIn(control, reference);
    EXPECT_EQ(r.left, e.x) << static_cast<int>(e.id);
    EXPECT_EQ(r.top, e.y) << static_cast<int>(e.id);
    EXPECT_EQ(r.right - r.left, e.width) << static_cast<int>(e.id);
    EXPECT_EQ(r.bottom - r.top, e.height) << static_cast<int>(e.id);
    if (e.caption != nullptr) {
      EXPECT_EQ(TextOf(control), e.caption) << static_cast<int>(e.id);
    }
  }
};

TEST_F(LayoutTest, WindowHasItsSizeIconAndNoMenuBar) {
  RECT outer;
  ::GetWindowRect(Hwnd(), &outer);
  EXPECT_EQ(outer.right - outer.left, 583);
  EXPECT_EQ(outer.bottom - outer.top, 572);
  EXPECT_EQ(::GetMenu(Hwnd()), nullptr);
  EXPECT_TRUE(::IsWindowVisible(Hwnd()));
  EXPECT_NE(::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_MINIMIZEBOX, 0);
  auto small = reinterpret_cast<HICON>(::SendMessageW(Hwnd(), WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(small, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(small, &info));
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 16);
  EXPECT_EQ(bitmap.bmHeight, 16);
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
}

TEST_F(LayoutTest, TabControlHoldsTwoPagesAndEveryControlOfThePanel) {
  HWND tab = Control(ControlId::选择夹1);
  const RECT r = PlaceIn(tab, Hwnd());
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 573);
  EXPECT_EQ(r.bottom - r.top, 519);
  ASSERT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
  const wchar_t* titles[] = {L"操作面板", L"使用帮助"};
  for (int i = 0; i < 2; ++i) {
    wchar_t buffer[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 32;
    ::SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(buffer, titles[i]);
  }
  EXPECT_EQ(::SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
  for (const Expected& e : kPageControls) ExpectPlace(e, tab);
  // Everything on the pages lives inside the tab control, so locking it locks them.
  for (const Expected& e : kPageControls) {
    EXPECT_TRUE(::IsChild(tab, Control(e.id))) << static_cast<int>(e.id);
  }
  EXPECT_TRUE(::IsWindowVisible(Control(ControlId::按钮_查询)));
  EXPECT_FALSE(::IsWindowVisible(Control(ControlId::超文本浏览框3)));
}

TEST_F(LayoutTest, SwitchingTabsShowsTheHelpPage) {
  HWND tab = Control(ControlId::选择夹1);
  ::SendMessageW(tab, TCM_SETCURSEL, 1, 0);
  NMHDR change{tab, static_cast<UINT_PTR>(ControlId::选择夹1), static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(Hwnd(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
  EXPECT_TRUE(::IsWindowVisible(Control(ControlId::超文本浏览框3)));
  EXPECT_FALSE(::IsWindowVisible(Control(ControlId::按钮_查询)));
}

TEST_F(LayoutTest, FourControlsLieOutsideTheWindow) {
  for (const Expected& e : kOffWindowControls) ExpectPlace(e, Hwnd());
  RECT client;
  ::GetClientRect(Hwnd(), &client);
  for (const Expected& e : kOffWindowControls) {
    const RECT r = PlaceIn(Control(e.id), Hwnd());
    RECT overlap;
    EXPECT_FALSE(::IntersectRect(&overlap, &r, &client)) << static_cast<int>(e.id);
  }
}

TEST_F(LayoutTest, HotSpotsSitOnTheBanner) {
  HWND banner = Control(ControlId::图片框2);
  EXPECT_EQ(::GetParent(Control(ControlId::透明标签_左侧链接)), banner);
  EXPECT_EQ(::GetParent(Control(ControlId::透明标签_右侧链接)), banner);
  ExpectPlace({ControlId::透明标签_左侧链接, nullptr, -2, 2, 280, 32}, banner);
  ExpectPlace({ControlId::透明标签_右侧链接, nullptr, 281, -2, 280, 40}, banner);
}

TEST_F(LayoutTest, ListHasItsFiveColumns) {
  HWND list = Control(ControlId::超级列表框1);
  EXPECT_NE(::GetWindowLongPtrW(list, GWL_STYLE) & LVS_REPORT, 0);
  EXPECT_NE(::GetWindowLongPtrW(list, GWL_STYLE) & LVS_OWNERDATA, 0);
  const std::pair<const wchar_t*, int> columns[] = {
      {L"序号", 40}, {L"宝贝全称", 250}, {L"收录状态", 72}, {L"宝贝个数", 61}, {L"收录时间", 120}};
  for (int i = 0; i < 5; ++i) {
    wchar_t buffer[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = buffer;
    column.cchTextMax = 32;
    ASSERT_TRUE(
        ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(buffer, columns[i].first);
    EXPECT_EQ(column.cx, columns[i].second);
  }
  LVCOLUMNW none{};
  none.mask = LVCF_WIDTH;
  EXPECT_FALSE(::SendMessageW(list, LVM_GETCOLUMNW, 5, reinterpret_cast<LPARAM>(&none)));
  EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(LayoutTest, NumberColumnShowsTheLargestRowNumberWhole) {
  HWND list = Control(ControlId::超级列表框1);
  // A plain report list in the list's font, its column fitted to the largest row
  // number by the list view's own rule for showing a cell whole.
  struct Destroy {
    void operator()(HWND window) const { ::DestroyWindow(window); }
  };
  const std::unique_ptr<std::remove_pointer_t<HWND>, Destroy> probe(::CreateWindowExW(
      0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 200, 100, Hwnd(), nullptr, nullptr, nullptr));
  ASSERT_NE(probe, nullptr);
  ::SendMessageW(probe.get(), WM_SETFONT, ::SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = 10;
  ::SendMessageW(probe.get(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  wchar_t largest[] = L"500000";
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = largest;
  ::SendMessageW(probe.get(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  ::SendMessageW(probe.get(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  const auto needed = ::SendMessageW(probe.get(), LVM_GETCOLUMNWIDTH, 0, 0);
  // The fit counts the text itself, measured in the list's font, and margins.
  EXPECT_GT(needed, ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(largest)));
  window->view().SetListRowCount(500000);
  EXPECT_GE(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), needed);
  // The wider number takes its room from the title, so the list, which now has a
  // vertical scroll bar, gets no horizontal one.
  PumpFor(std::chrono::milliseconds(50));
  RECT client{};
  ::GetClientRect(list, &client);
  int sum = 0;
  for (int c = 0; c < 5; ++c) sum += static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
  EXPECT_LE(sum, client.right);
  EXPECT_TRUE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL);
  // A short list gets the column's own width back, which leaves room for the
  // vertical scroll bar without a horizontal one.
  window->view().SetListRowCount(20);
  EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 40);
}

TEST_F(LayoutTest, TwoLabelsUseTheBoldChineseFontTheRestTheWindowFont) {
  auto fontOf = [this](ControlId id) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control(id), WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
  };
  for (ControlId id : {ControlId::标签_提示, ControlId::标签2}) {
    const LOGFONTW bold = fontOf(id);
    EXPECT_STREQ(bold.lfFaceName, L"微软雅黑");
    EXPECT_EQ(bold.lfWeight, 700);
    EXPECT_EQ(bold.lfHeight, -12);
    EXPECT_EQ(bold.lfCharSet, GB2312_CHARSET);
  }
  const LOGFONTW plain = fontOf(ControlId::按钮_查询);
  EXPECT_LT(plain.lfWeight, 700);
  EXPECT_STRNE(plain.lfFaceName, L"微软雅黑");
  for (ControlId id : {ControlId::标签1, ControlId::编辑框_标题, ControlId::超级列表框1}) {
    EXPECT_STREQ(fontOf(id).lfFaceName, plain.lfFaceName);
  }
}

TEST_F(LayoutTest, PictureButtonsAndHotSpotsShowTheHandPointer) {
  const auto hand = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
  const auto arrow = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  auto cursorOf = [this](ControlId id) {
    return reinterpret_cast<HCURSOR>(::GetClassLongPtrW(Control(id), GCLP_HCURSOR));
  };
  for (ControlId id : {ControlId::超级按钮_客服1, ControlId::超级按钮_客服2, ControlId::超级按钮_客服3,
                       ControlId::透明标签_左侧链接, ControlId::透明标签_右侧链接}) {
    EXPECT_EQ(cursorOf(id), hand) << static_cast<int>(id);
  }
  for (ControlId id : {ControlId::按钮_查询, ControlId::标签1, ControlId::超级链接框1, ControlId::图片框2}) {
    EXPECT_EQ(cursorOf(id), arrow) << static_cast<int>(id);
  }
}

TEST_F(LayoutTest, EditBoxesHaveTheirKinds) {
  const auto titleStyle = ::GetWindowLongPtrW(Control(ControlId::编辑框_标题), GWL_STYLE);
  EXPECT_NE(titleStyle & ES_MULTILINE, 0);
  EXPECT_EQ(titleStyle & (WS_VSCROLL | WS_HSCROLL | ES_READONLY), 0);
  const auto reportStyle = ::GetWindowLongPtrW(Control(ControlId::编辑框_显示), GWL_STYLE);
  EXPECT_NE(reportStyle & ES_MULTILINE, 0);
  EXPECT_NE(reportStyle & ES_READONLY, 0);
  EXPECT_EQ(reportStyle & (WS_VSCROLL | WS_HSCROLL), 0);
  EXPECT_EQ(::GetWindowLongPtrW(Control(ControlId::编辑框_检索间隔), GWL_STYLE) & ES_MULTILINE, 0);
}

TEST_F(LayoutTest, MenusHaveTheirEntries) {
  auto entries = [](HMENU menu) {
    std::vector<std::wstring> out;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      wchar_t buffer[64] = {};
      ::GetMenuStringW(menu, static_cast<UINT>(i), buffer, 64, MF_BYPOSITION);
      out.emplace_back(buffer);
    }
    return out;
  };
  EXPECT_EQ(entries(window->listMenu()),
            (std::vector<std::wstring>{L"精准核对   ", L"重新查询", L"复制宝贝全称", L"删除宝贝",
                                       L"重查失败的宝贝", L"导出列表...", L"查看收录报告"}));
  EXPECT_EQ(entries(window->trayMenu()),
            (std::vector<std::wstring>{L"淘货站软件", L"导购站软件", L"使用帮助", L"退出"}));
}

// The monitoring summary fits the status bar's second section whole, in the
// section's own font: the shorter form used when rows are still being checked or
// have failed with every figure at six digits, and the summary's own form. At
// 144 DPI the font and the section grow together; that is measured with the font
// at one and a half times its height against the section at one and a half times
// its width.
TEST_F(LayoutTest, MonitoringSummaryFitsItsSectionAt96And144Dpi) {
  HWND status = Control(ControlId::状态条1);
  RECT part{};
  ASSERT_TRUE(
      ::SendMessageW(status, SB_GETRECT, check::kMonitorStatusSection, reinterpret_cast<LPARAM>(&part)));
  RECT client{};
  ::GetClientRect(status, &client);
  // What shows of the section, less the borders and the room the bar leaves
  // before and after its text.
  const int visible = std::min(part.right, client.right) - part.left - 8;
  LOGFONTW base{};
  ASSERT_TRUE(
      ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(status, WM_GETFONT, 0, 0)), sizeof base, &base));
  const std::vector<Text> summaries = {
      // The summary's own form is fixed: it fits while no more than one of its
      // three figures has six digits.
      check::BuildMonitorSummary(500000, 0, 600),
      check::BuildMonitorSummary(99999, 49999, 600),
      check::BuildMonitorSummary(check::PassTally{199999, 100000, 100001, 100000}, 600),
  };
  for (const double scale : {1.0, 1.5}) {
    LOGFONTW scaled = base;
    scaled.lfHeight = static_cast<LONG>(std::lround(base.lfHeight * scale));
    win::UniqueFont font(::CreateFontIndirectW(&scaled));
    HDC dc = ::GetDC(status);
    {
      win::ScopedSelectObject select(dc, font.get());
      for (const Text& summary : summaries) {
        const std::wstring text = Wide(summary);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        EXPECT_LE(size.cx, std::lround(visible * scale)) << Narrow(text) << " at " << scale * 96 << " DPI";
      }
    }
    ::ReleaseDC(status, dc);
  }
}

}  // namespace
}  // namespace vorlane::shell::test
