// The shell's own small window classes: the tab pages, the banner picture, the
// clickable picture buttons and hot spots, and the page boxes. Each sends its
// click to the top-level window as WM_COMMAND (its id, BN_CLICKED).
#pragma once

#include <windows.h>

#include <string>

namespace vorlane::shell {

inline constexpr wchar_t kPageClass[] = L"VorlanePage";
inline constexpr wchar_t kBannerClass[] = L"VorlaneBanner";
inline constexpr wchar_t kClickAreaClass[] = L"VorlaneClickArea";
inline constexpr wchar_t kWebBoxClass[] = L"VorlaneWebBox";

// Window styles of a click area (the control-specific low word).
inline constexpr DWORD kClickAreaPicture = 0x0001;  // draws the customer-service picture
inline constexpr DWORD kClickAreaOnPress = 0x0002;  // fires as the left button goes down

// What a page box shows; passed as the creation parameter.
struct WebBoxContent {
  std::wstring intro;    // text above the address; may be empty
  std::wstring address;  // shown as a link
};

// The banner's window text holds its two captions separated by '\n'.
inline constexpr wchar_t kBannerSeparator = L'\n';

bool RegisterControlClasses(HINSTANCE instance);

}  // namespace vorlane::shell
