// The update window's two pictures, carried inside the program: the banner shown
// while the package downloads and the icon shown once it is in.
#pragma once

#include <windows.h>

#include "win/scoped_win.h"

namespace vorlane::update {

inline constexpr int kBannerWidth = 270;
inline constexpr int kBannerHeight = 40;
inline constexpr int kCompletionIconSize = 32;

// Empty owners when the stored data cannot be turned into a picture.
win::UniqueGdiObject LoadBanner();
win::UniqueIcon LoadCompletionIcon();

}  // namespace vorlane::update
