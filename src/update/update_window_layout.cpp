#include "update/update_window_layout.h"

#include <array>

#include "update/update_texts.h"

namespace vorlane::update {
namespace {

using enum UpdateControlId;
using enum UpdateControlKind;

constexpr std::array kControls{
    UpdateControlSpec{标签8, kLabel, 51, 25, 96, 16, texts::kDownloaded, false},
    UpdateControlSpec{图片框1, kPicture, 8, 11, 270, 40, "", false},
    UpdateControlSpec{标签2, kLabel, 11, 52, 328, 16, "", true},
    UpdateControlSpec{进度条1, kProgressBar, 10, 69, 329, 16, "", true},
    UpdateControlSpec{标签10, kLabel, 9, 89, 162, 17, texts::kFileSize, true},
    UpdateControlSpec{标签11, kLabel, 175, 89, 180, 16, texts::kReceived, true},
    UpdateControlSpec{标签7, kLabel, 8, 106, 337, 16, texts::kSaveTo, true},
    UpdateControlSpec{标签1, kLabel, 9, 125, 168, 13, texts::kTransferSpeed, true},
    UpdateControlSpec{标签3, kLabel, 175, 125, 160, 12, texts::kAverageSpeed, true},
    UpdateControlSpec{标签4, kLabel, 10, 140, 96, 16, texts::kCompleted, true},
    UpdateControlSpec{标签9, kLabel, 176, 139, 143, 16, texts::kTimeLeft, true},
    // Outside the visible area; it does nothing.
    UpdateControlSpec{按钮1, kButton, 371, 15, 40, 24, texts::kDownloadButton, true},
};
static_assert(kControls.size() == kUpdateControlCount);

}  // namespace

std::span<const UpdateControlSpec> UpdateWindowControls() {
  return kControls;
}

}  // namespace vorlane::update
