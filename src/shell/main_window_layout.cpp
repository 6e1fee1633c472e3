#include "shell/main_window_layout.h"

#include <array>

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
    ControlPlace{标签4, kLabel, kOp, 12, 307, 56, 16, "\xB2\xE9\xD1\xAF\xBC\xE4\xB8\xF4:"},  // 查询间隔:
    ControlPlace{编辑框_检索间隔, kEdit, kOp, 71, 301, 37, 25, "10"},
    ControlPlace{标签11, kLabel, kOp, 112, 308, 32, 16, "Min"},
    ControlPlace{标签5, kLabel, kOp, 140, 307, 64, 16,
                 "\xD2\xD1\xB2\xE9\xD1\xAF\xB4\xCE\xCA\xFD:"},  // 已查询次数:
    ControlPlace{标签_已查询次数, kLabel, kOp, 209, 307, 28, 16, "0"},
    ControlPlace{按钮_导入宝贝全称, kButton, kOp, 244, 298, 82, 30,
                 "\xB5\xBC\xC8\xEB\xB1\xA6\xB1\xB4\xC8\xAB\xB3\xC6"},  // 导入宝贝全称
    ControlPlace{按钮_新增宝贝, kButton, kOp, 339, 298, 60, 30,
                 "\xD0\xC2\xD4\xF6\xB1\xA6\xB1\xB4"},  // 新增宝贝
    ControlPlace{按钮_开始自动监测, kButton, kOp, 412, 298, 82, 30,
                 "\xBF\xAA\xCA\xBC\xD7\xD4\xB6\xAF\xBC\xE0\xB2\xE2"},             // 开始自动监测
    ControlPlace{按钮_停止, kButton, kOp, 508, 298, 50, 30, "\xCD\xA3\xD6\xB9"},  // 停止
    ControlPlace{标签_提示, kLabel, kOp, 11, 339, 200, 16,
                 "\xB5\xA5\xB8\xF6\xB2\xE9\xD1\xAF:", kBold},  // 单个查询:
    ControlPlace{标签2, kLabel, kOp, 217, 339, 55, 16,
                 "\xD4\xDA\xCF\xDF\xBF\xCD\xB7\xFE:", kBold},  // 在线客服:
    ControlPlace{超级按钮_客服1, kImageButton, kOp, 278, 337, 21, 21, nullptr},
    ControlPlace{超级按钮_客服2, kImageButton, kOp, 311, 337, 21, 21, nullptr},
    ControlPlace{超级按钮_客服3, kImageButton, kOp, 344, 337, 21, 21, nullptr},
    ControlPlace{单选框_查询全部, kRadioFirst, kOp, 380, 340, 72, 16,
                 "\xB2\xE9\xD1\xAF\xC8\xAB\xB2\xBF"},  // 查询全部
    ControlPlace{单选框_只查未收录, kRadio, kOp, 460, 340, 98, 16,
                 "\xD6\xBB\xB2\xE9\xCE\xB4\xCA\xD5\xC2\xBC"},  // 只查未收录
    ControlPlace{标签1, kLabel, kOp, 12, 382, 56, 16, "\xB1\xA6\xB1\xB4\xC8\xAB\xB3\xC6:"},  // 宝贝全称:
    ControlPlace{编辑框_标题, kMultiLineEdit, kOp, 71, 364, 300, 50, ""},
    ControlPlace{按钮_查询, kButton, kOp, 381, 363, 70, 30, "\xB2\xE9\xD1\xAF\xCA\xD5\xC2\xBC"},  // 查询收录
    ControlPlace{按钮_精准查询, kButton, kOp, 382, 402, 70, 30,
                 "\xBE\xAB\xD7\xBC\xBA\xCB\xB6\xD4"},                                        // 精准核对
    ControlPlace{标签8, kLabel, kOp, 12, 438, 54, 16, "\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB:"},  // 查询结果:
    ControlPlace{编辑框_显示, kReadOnlyEdit, kOp, 71, 421, 300, 50, ""},
    ControlPlace{按钮_清空宝贝全称, kButton, kOp, 382, 440, 70, 30,
                 "\xC7\xE5\xBF\xD5\xC3\xFB\xB3\xC6"},  // 清空名称
    ControlPlace{超级链接框1, kHyperlink, kOp, 460, 427, 101, 16,
                 "-->>\xB2\xE9\xBF\xB4\xB1\xA6\xB1\xB4\xC8\xAB\xB3\xC6"},  // -->>查看宝贝全称
    ControlPlace{超级链接框3, kHyperlink, kOp, 460, 453, 101, 16,
                 "-->>\xB2\xE9\xBF\xB4\xCA\xB9\xD3\xC3\xBD\xCC\xB3\xCC"},  // -->>查看使用教程
    ControlPlace{图片框2, kPicture, kOp, 5, 478, 562, 35, nullptr},
    ControlPlace{透明标签_左侧链接, kHotspot, kPic, -2, 2, 280, 32, nullptr},
    ControlPlace{透明标签_右侧链接, kHotspot, kPic, 281, -2, 280, 40, nullptr},
    ControlPlace{超文本浏览框3, kWebBox, kHelp, 4, 22, 565, 493, nullptr},
    // Outside the window's area: they exist but are never seen.
    ControlPlace{超文本浏览框1, kWebBox, kWin, 600, 208, 197, 165, nullptr},
    ControlPlace{超文本浏览框2, kWebBox, kWin, 2, 644, 288, 111, nullptr},
    ControlPlace{标签3, kLabel, kWin, 4, 625, 148, 16, nullptr},
    ControlPlace{超级链接框2, kHyperlink, kWin, 153, 625, 75, 16,
                 "\xB5\xE3\xBB\xF7\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8"},  // 点击开始下载
};

constexpr std::array kColumns{
    // Widened while the list holds more rows than this shows numbers for whole.
    ColumnPlace{"\xD0\xF2\xBA\xC5", 40},                   // 序号
    ColumnPlace{"\xB1\xA6\xB1\xB4\xC8\xAB\xB3\xC6", 250},  // 宝贝全称
    ColumnPlace{"\xCA\xD5\xC2\xBC\xD7\xB4\xCC\xAC", 72},   // 收录状态
    ColumnPlace{"\xB1\xA6\xB1\xB4\xB8\xF6\xCA\xFD", 61},   // 宝贝个数
    ColumnPlace{"\xCA\xD5\xC2\xBC\xCA\xB1\xBC\xE4", 120},  // 收录时间
};

}  // namespace

std::span<const ControlPlace> MainWindowControls() {
  return kControls;
}
std::span<const ColumnPlace> ProductListColumns() {
  return kColumns;
}

}  // namespace vorlane::shell
