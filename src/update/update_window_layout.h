// The update window's size, place and controls. Places are pixels at 96 DPI,
// relative to the client area.
#pragma once

#include <span>

namespace vorlane::update {

inline constexpr int kUpdateWindowX = 50;
inline constexpr int kUpdateWindowY = 50;
inline constexpr int kUpdateWindowWidth = 354;
inline constexpr int kUpdateWindowHeight = 200;

enum class UpdateControlId : int {
  标签8 = 3000,  // before 图片框1, so that it lies above the picture
  图片框1,
  标签2,
  进度条1,
  标签10,
  标签11,
  标签7,
  标签1,
  标签3,
  标签4,
  标签9,
  按钮1,
  kEnd,
};
inline constexpr int kFirstUpdateControlId = static_cast<int>(UpdateControlId::标签8);
inline constexpr int kUpdateControlCount = static_cast<int>(UpdateControlId::kEnd) - kFirstUpdateControlId;

enum class UpdateControlKind { kPicture, kLabel, kProgressBar, kButton };

struct UpdateControlPlace {
  UpdateControlId id;
  UpdateControlKind kind;
  int x, y, width, height;
  const char* caption;  // GBK
  bool visible;
};

// In creation order, which is also the order from top to bottom.
std::span<const UpdateControlPlace> UpdateWindowControls();

}  // namespace vorlane::update
