// The created handler, the loading step that unlocks the panel, and the seam the
// update takes over through.
#include "window_fixture.h"

namespace vorlane::shell::test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, CreatedHandlerPresetsTitleControlsAndLoadingTexts) {
  Open({}, /*unlock=*/false);
  EXPECT_EQ(TextOf(Hwnd()), L"Vorlane V1.1  客服QQ：10000");
  EXPECT_EQ(::SendMessageW(Control(ControlId::单选框_查询全部), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageW(Control(ControlId::单选框_只查未收录), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(window->appTexts().BalloonTitle, "Vorlane V1.1");
  // Until the loading step: locked, loading texts, part 0 at its first width.
  EXPECT_FALSE(::IsWindowEnabled(Control(ControlId::选择夹1)));
  EXPECT_FALSE(window->panelUnlocked());
  EXPECT_EQ(StatusText(0), L" 正在加载...");
  EXPECT_EQ(StatusText(1), L" 面板已锁定，请等待加载完成哦(大约需要1-10秒)");
  EXPECT_EQ(StatusPartRightEdge(0), 125);
  EXPECT_EQ(StatusPartRightEdge(1), 625);

  ASSERT_TRUE(PumpUntil([this] { return window->panelUnlocked(); }));
  EXPECT_TRUE(::IsWindowEnabled(Control(ControlId::选择夹1)));
  EXPECT_EQ(StatusText(0), L"加载完成");
  EXPECT_EQ(StatusText(1), L"更多卖家工具请访问官网");
  EXPECT_EQ(StatusPartRightEdge(0), 113);
  EXPECT_EQ(::SendMessageW(Control(ControlId::选择夹1), TCM_GETCURSEL, 0, 0), 0);
}

TEST_F(StartupTest, QueryButtonHasTheFocus) {
  Open();
  EXPECT_TRUE(FocusSettlesOn(Control(ControlId::按钮_查询)));
}

TEST_F(StartupTest, ControlsDoNothingBeforeTheLoadingStep) {
  Open({}, /*unlock=*/false);
  ::SetWindowTextW(Control(ControlId::编辑框_显示), L"earlier");
  ::SetWindowTextW(Control(ControlId::编辑框_标题), L"");
  Click(ControlId::按钮_查询);                                  // would empty the report and complain
  Click(ControlId::按钮_开始自动监测);                          // would complain about the empty list
  ClickArea(ControlId::超级按钮_客服1);                         // would open a chat
  ::SetWindowTextW(Control(ControlId::编辑框_检索间隔), L"3");  // would be reset to 10
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_显示)), L"earlier");
  EXPECT_EQ(TextOf(Control(ControlId::编辑框_检索间隔)), L"3");
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(addresses.empty());
  EXPECT_EQ(window->scheduler().runningWorkers(), 0);
}

TEST_F(StartupTest, AnnouncedUpdateTakesOverAndKeepsThePanelLocked) {
  HWND owner = nullptr;
  int calls = 0;
  options.startUpdate = [&](HWND ownerWindow, const ShellSettings& settings, const Text&, const Text&) {
    owner = ownerWindow;
    ++calls;
    EXPECT_EQ(settings.latestVersion, 111);
    return true;
  };
  Open("[update]\nlatest_version=111\n", /*unlock=*/false);
  ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
  PumpFor(100ms);  // the one-shot timer does not fire again
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(owner, Hwnd());
  EXPECT_FALSE(window->panelUnlocked());
  EXPECT_FALSE(::IsWindowEnabled(Control(ControlId::选择夹1)));
  EXPECT_EQ(StatusText(0), L" 正在加载...");
}

TEST_F(StartupTest, NoUpdateBelowVersion111) {
  int calls = 0;
  options.startUpdate = [&](HWND, const ShellSettings&, const Text&, const Text&) { return ++calls > 0; };
  Open("[update]\nlatest_version=110\n");
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(::IsWindowEnabled(Control(ControlId::选择夹1)));
}

TEST_F(StartupTest, AnUpdateThatDoesNotTakeOverLeavesTheProgramUsable) {
  int calls = 0;
  options.startUpdate = [&](HWND, const ShellSettings&, const Text&, const Text&) {
    ++calls;
    return false;
  };
  Open("[update]\nlatest_version=200\n");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(StatusText(0), L"加载完成");
}

TEST_F(StartupTest, ClosingTheWindowRemovesTheIconAndEndsOnce) {
  Open();
  ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(window->hwnd()));
  EXPECT_EQ(window->hwnd(), nullptr);
  EXPECT_EQ(destroyedCalls, 1);
  ASSERT_FALSE(notifications.empty());
  EXPECT_EQ(notifications.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(notifications.back().data.uID, 1u);
}

}  // namespace
}  // namespace vorlane::shell::test
