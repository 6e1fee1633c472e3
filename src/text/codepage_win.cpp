#include <windows.h>

#include <climits>

#include "text/codepage_platform.h"

namespace vorlane::codepage {
namespace {

constexpr LCID kChinesePrc = 0x0804;

// The UTF code pages refuse a default character.
bool TakesDefaultChar(unsigned codePage) {
  return codePage != CP_UTF8 && codePage != CP_UTF7;
}

bool HasSimplifiedMapping() {
  static const bool has = [] {
    // 國 (U+570B) becomes 国 (U+56FD) where the mapping exists.
    const wchar_t traditional = 0x570B;
    wchar_t simplified = 0;
    return ::LCMapStringW(kChinesePrc, LCMAP_SIMPLIFIED_CHINESE, &traditional, 1, &simplified, 1) == 1 &&
           simplified == 0x56FD;
  }();
  return has;
}

// `defaultChar` is a string: for a double-byte code page the system reads a second
// byte after the first unless that one is the terminating NUL.
std::string EncodeWith(unsigned codePage, std::u16string_view units, DWORD flags, const char* defaultChar) {
  if (units.empty() || units.size() > INT_MAX) return {};
  const int length = static_cast<int>(units.size());
  const wchar_t* source = reinterpret_cast<const wchar_t*>(units.data());
  const int needed = ::WideCharToMultiByte(codePage, flags, source, length, nullptr, 0, defaultChar, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written =
      ::WideCharToMultiByte(codePage, flags, source, length, out.data(), needed, defaultChar, nullptr);
  out.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return out;
}

}  // namespace

std::u16string Decode(unsigned codePage, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::u16string out(static_cast<std::size_t>(needed), u'\0');
  const int written = ::MultiByteToWideChar(codePage, 0, bytes.data(), length,
                                            reinterpret_cast<wchar_t*>(out.data()), needed);
  out.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return out;
}

std::string Encode(unsigned codePage, std::u16string_view units, std::optional<char> defaultChar) {
  const char fallback[] = {defaultChar.value_or('?'), '\0'};
  const char* useDefault = defaultChar && TakesDefaultChar(codePage) ? fallback : nullptr;
  return EncodeWith(codePage, units, 0, useDefault);
}

std::string EncodeExact(unsigned codePage, std::u16string_view units) {
  if (!TakesDefaultChar(codePage)) return EncodeWith(codePage, units, 0, nullptr);
  return EncodeWith(codePage, units, WC_NO_BEST_FIT_CHARS, "?");
}

std::string Transcode(unsigned from, unsigned to, std::string_view bytes, std::optional<char> defaultChar) {
  return Encode(to, Decode(from, bytes), defaultChar);
}

std::optional<std::string> SystemSimplifiedChinese(std::string_view gbk) {
  if (!HasSimplifiedMapping() || gbk.size() > INT_MAX) return std::nullopt;
  if (gbk.empty()) return std::string();
  const int length = static_cast<int>(gbk.size());
  const int needed = ::LCMapStringA(kChinesePrc, LCMAP_SIMPLIFIED_CHINESE, gbk.data(), length, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written =
      ::LCMapStringA(kChinesePrc, LCMAP_SIMPLIFIED_CHINESE, gbk.data(), length, out.data(), needed);
  // The mapping is character for character; anything else is not trusted.
  if (written != length) return std::nullopt;
  return out;
}

}  // namespace vorlane::codepage
