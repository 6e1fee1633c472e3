#include "shell/main_window_layout.h"

#include <array>

#include "shell/shell_texts.h"

namespace vorlane::shell {
namespace {

using enum ControlId;
using enum ControlKind;
constexpr ControlParent kOp = ControlParent::kOperationPage;
constexpr ControlParent kHelp = ControlParent::kHelpPage;
constexpr ControlParent kWin = ControlParent::kWindow;
constexpr ControlParent kPic = ControlParent::kPicture;
constexpr ControlFont kBold = ControlFont::kBold;

constexpr std::array kControls{
    ControlPlace{超级列表框1, kListView, kOp, 4, 22, 565, 272, nullptr},
    ControlPlace{标签4, kLabel, kOp, 12, 307, 56, 16, texts::kQueryIntervalLabel},
    ControlPlace{编辑框_检索间隔, kEdit, kOp, 71, 301, 37, 25, "10"},
    ControlPlace{标签11, kLabel, kOp, 112, 308, 32, 16, "Min"},
    ControlPlace{标签5, kLabel, kOp, 140, 307, 64, 16, texts::kQueryCountLabel},
    ControlPlace{标签_已查询次数, kLabel, kOp, 209, 307, 28, 16, "0"},
    ControlPlace{按钮_导入宝贝全称, kButton, kOp, 244, 298, 82, 30, texts::kImportTitlesButton},
    ControlPlace{按钮_新增宝贝, kButton, kOp, 339, 298, 60, 30, texts::kAddProductButton},
    ControlPlace{按钮_开始自动监测, kButton, kOp, 412, 298, 82, 30, texts::kStartMonitoringButton},
    ControlPlace{按钮_停止, kButton, kOp, 508, 298, 50, 30, texts::kStopButton},
    ControlPlace{标签_提示, kLabel, kOp, 11, 339, 200, 16, texts::kTipLabel, kBold},
    ControlPlace{标签2, kLabel, kOp, 217, 339, 55, 16, texts::kOnlineServiceLabel, kBold},
    ControlPlace{超级按钮_客服1, kImageButton, kOp, 278, 337, 21, 21, nullptr},
    ControlPlace{超级按钮_客服2, kImageButton, kOp, 311, 337, 21, 21, nullptr},
    ControlPlace{超级按钮_客服3, kImageButton, kOp, 344, 337, 21, 21, nullptr},
    ControlPlace{单选框_查询全部, kRadioFirst, kOp, 380, 340, 72, 16, texts::kQueryAllRadio},
    ControlPlace{单选框_只查未收录, kRadio, kOp, 460, 340, 98, 16, texts::kQueryNotIndexedRadio},
    ControlPlace{标签1, kLabel, kOp, 12, 382, 56, 16, texts::kTitleLabel},
    ControlPlace{编辑框_标题, kMultiLineEdit, kOp, 71, 364, 300, 50, ""},
    ControlPlace{按钮_查询, kButton, kOp, 381, 363, 70, 30, texts::kQueryButton},
    ControlPlace{按钮_精准查询, kButton, kOp, 382, 402, 70, 30, texts::kPreciseButton},
    ControlPlace{标签8, kLabel, kOp, 12, 438, 54, 16, texts::kResultLabel},
    ControlPlace{编辑框_显示, kReadOnlyEdit, kOp, 71, 421, 300, 50, ""},
    ControlPlace{按钮_清空宝贝全称, kButton, kOp, 382, 440, 70, 30, texts::kClearTitleButton},
    ControlPlace{超级链接框1, kHyperlink, kOp, 460, 427, 101, 16, texts::kViewTitlesLink},
    ControlPlace{超级链接框3, kHyperlink, kOp, 460, 453, 101, 16, texts::kViewTutorialLink},
    ControlPlace{图片框2, kPicture, kOp, 5, 478, 562, 35, nullptr},
    ControlPlace{透明标签_左侧链接, kHotspot, kPic, -2, 2, 280, 32, nullptr},
    ControlPlace{透明标签_右侧链接, kHotspot, kPic, 281, -2, 280, 40, nullptr},
    ControlPlace{超文本浏览框3, kWebBox, kHelp, 4, 22, 565, 493, nullptr},
    // Outside the window's area: they exist but are never seen.
    ControlPlace{超文本浏览框1, kWebBox, kWin, 600, 208, 197, 165, nullptr},
    ControlPlace{超文本浏览框2, kWebBox, kWin, 2, 644, 288, 111, nullptr},
    ControlPlace{标签3, kLabel, kWin, 4, 625, 148, 16, nullptr},
    ControlPlace{超级链接框2, kHyperlink, kWin, 153, 625, 75, 16, texts::kStartDownloadLink},
};

constexpr std::array kColumns{
    // Widened while the list holds more rows than this shows numbers for whole.
    ColumnPlace{texts::kNumberColumn, 40},  // 序号
    ColumnPlace{texts::kTitleColumn, 250},  // 宝贝全称
    ColumnPlace{texts::kStatusColumn, 72},  // 收录状态
    ColumnPlace{texts::kCountColumn, 61},   // 宝贝个数
    ColumnPlace{texts::kTimeColumn, 120},   // 收录时间
};

}  // namespace

const char* const kPageOperationTitle = texts::kPageOperationTitle;
const char* const kPageHelpTitle = texts::kPageHelpTitle;

std::span<const ControlPlace> MainWindowControls() {
  return kControls;
}
std::span<const ColumnPlace> ProductListColumns() {
  return kColumns;
}

}  // namespace vorlane::shell
