#include "update/update_window_layout.h"

#include <array>

#include "update/update_texts.h"

namespace vorlane::update {
namespace {

using enum UpdateControlId;
using enum UpdateControlKind;

constexpr std::array kControls{
    UpdateControlPlace{标签8, kLabel, 51, 25, 96, 16, texts::kDownloaded, false},
    UpdateControlPlace{图片框1, kPicture, 8, 11, 270, 40, "", false},
    UpdateControlPlace{标签2, kLabel, 11, 52, 328, 16, "", true},
    UpdateControlPlace{进度条1, kProgressBar, 10, 69, 329, 16, "", true},
    UpdateControlPlace{标签10, kLabel, 9, 89, 162, 17, texts::kFileSize, true},
    UpdateControlPlace{标签11, kLabel, 175, 89, 180, 16, texts::kReceived, true},
    UpdateControlPlace{标签7, kLabel, 8, 106, 337, 16, texts::kSaveTo, true},
    UpdateControlPlace{标签1, kLabel, 9, 125, 168, 13, texts::kTransferSpeed, true},
    UpdateControlPlace{标签3, kLabel, 175, 125, 160, 12, texts::kAverageSpeed, true},
    UpdateControlPlace{标签4, kLabel, 10, 140, 96, 16, texts::kCompleted, true},
    UpdateControlPlace{标签9, kLabel, 176, 139, 143, 16, texts::kTimeLeft, true},
    // Outside the visible area; it does nothing.
    UpdateControlPlace{按钮1, kButton, 371, 15, 40, 24, texts::kDownloadButton, true},
};
static_assert(kControls.size() == kUpdateControlCount);

}  // namespace

std::span<const UpdateControlPlace> UpdateWindowControls() {
  return kControls;
}

}  // namespace vorlane::update
