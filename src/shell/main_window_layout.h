// The main window's controls: names, kinds, places, captions and fonts. Places are
// pixels at 96 DPI: relative to the client area for controls on the window,
// relative to the tab control's top-left corner for controls on its pages, and
// relative to the picture box for its two hot spots.
#pragma once

#include <span>

namespace vorlane::shell {

enum class ControlId : int {
  选择夹1 = 1000,
  状态条1,
  页_操作面板,  // the two pages of 选择夹1
  页_使用帮助,
  超级列表框1,
  标签4,
  编辑框_检索间隔,
  标签11,
  标签5,
  标签_已查询次数,
  按钮_导入宝贝全称,
  按钮_新增宝贝,
  按钮_开始自动监测,
  按钮_停止,
  标签_提示,
  标签2,
  超级按钮_客服1,
  超级按钮_客服2,
  超级按钮_客服3,
  单选框_查询全部,
  单选框_只查未收录,
  标签1,
  编辑框_标题,
  按钮_查询,
  按钮_精准查询,
  标签8,
  编辑框_显示,
  按钮_清空宝贝全称,
  超级链接框1,
  超级链接框3,
  图片框2,
  透明标签_左侧链接,
  透明标签_右侧链接,
  超文本浏览框3,
  超文本浏览框1,
  超文本浏览框2,
  标签3,
  超级链接框2,
  kEnd,
};
inline constexpr int kFirstControlId = static_cast<int>(ControlId::选择夹1);
inline constexpr int kControlCount = static_cast<int>(ControlId::kEnd) - kFirstControlId;

enum class ControlKind {
  kLabel,
  kEdit,           // one line
  kMultiLineEdit,  // several lines, no scroll bars
  kReadOnlyEdit,   // several lines, no typing, no scroll bars
  kButton,
  kRadioFirst,  // first radio button of a group
  kRadio,
  kListView,     // report style, rows from the product list
  kImageButton,  // a small picture, hand pointer, click
  kHyperlink,
  kPicture,  // the banner
  kHotspot,  // transparent, hand pointer, fires when the button goes down
  kWebBox,   // a page box: its address opens in the default browser
};

enum class ControlParent { kWindow, kOperationPage, kHelpPage, kPicture };
enum class ControlFont { kDefault, kBold };

struct ControlPlace {
  ControlId id;
  ControlKind kind;
  ControlParent parent;
  int x, y, width, height;
  const char* caption;  // GBK; null when the caption comes from configuration
  ControlFont font = ControlFont::kDefault;
};

// In creation order, which is also the Tab order.
std::span<const ControlPlace> MainWindowControls();

struct ColumnPlace {
  const char* title;  // GBK
  int width;
};
std::span<const ColumnPlace> ProductListColumns();

inline constexpr int kWindowWidth = 583;  // outer size
inline constexpr int kWindowHeight = 572;
inline constexpr int kTabX = 2, kTabY = 0, kTabWidth = 573, kTabHeight = 519;
inline constexpr int kTabHeaderHeight = 22;
// Widths of the status bar's two parts; part 0 narrows once loading is done.
inline constexpr int kStatusPart0Width = 125;
inline constexpr int kStatusPart0ReadyWidth = 113;
inline constexpr int kStatusPart1Width = 500;

// The tab headers (GBK). Declared here rather than inlined so that code reading only
// the control ids does not need the generated texts.
extern const char* const kPageOperationTitle;
extern const char* const kPageHelpTitle;

}  // namespace vorlane::shell
