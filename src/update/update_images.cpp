#include "update/update_images.h"

#include <cstddef>
#include <cstring>

extern const unsigned char vorlane_update_banner[];
extern const std::size_t vorlane_update_banner_size;
extern const unsigned char vorlane_update_icon[];
extern const std::size_t vorlane_update_icon_size;

namespace vorlane::update {
namespace {

template <typename T>
bool ReadAt(const unsigned char* data, std::size_t size, std::size_t offset, T& out) {
  if (offset > size || size - offset < sizeof(T)) return false;
  std::memcpy(&out, data + offset, sizeof(T));
  return true;
}

}  // namespace

win::UniqueGdiObject LoadBanner() {
  const unsigned char* data = vorlane_update_banner;
  const std::size_t size = vorlane_update_banner_size;
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  if (!ReadAt(data, size, 0, file) || !ReadAt(data, size, sizeof file, info) || file.bfOffBits >= size)
    return {};
  BITMAPINFO bitmapInfo{};
  bitmapInfo.bmiHeader = info;
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap =
      ::CreateDIBitmap(screen, &info, CBM_INIT, data + file.bfOffBits, &bitmapInfo, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return win::UniqueGdiObject(bitmap);
}

win::UniqueIcon LoadCompletionIcon() {
  const unsigned char* data = vorlane_update_icon;
  const std::size_t size = vorlane_update_icon_size;
  // ICONDIR (6 bytes), then the first ICONDIRENTRY: its image's size at 8, offset at 12.
  DWORD imageSize = 0;
  DWORD imageOffset = 0;
  if (!ReadAt(data, size, 6 + 8, imageSize) || !ReadAt(data, size, 6 + 12, imageOffset) ||
      imageOffset > size || size - imageOffset < imageSize)
    return {};
  // The function reads the bytes and never writes them.
  auto* image = const_cast<PBYTE>(data + imageOffset);
  return win::UniqueIcon(::CreateIconFromResourceEx(image, imageSize, TRUE, 0x00030000, kCompletionIconSize,
                                                    kCompletionIconSize, LR_DEFAULTCOLOR));
}

}  // namespace vorlane::update
