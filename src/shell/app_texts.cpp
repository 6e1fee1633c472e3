#include "shell/app_texts.h"

#include "shell/shell_texts.h"

namespace vorlane::shell {

Text FitGbk(std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t width = static_cast<unsigned char>(text[end]) >= 0x80 ? 2 : 1;
    if (end + width > maxBytes || end + width > text.size()) break;
    end += width;
  }
  return Text(text.substr(0, end));
}

AppTexts BuildAppTexts(const ShellSettings& settings) {
  AppTexts t;
  t.VersionText = texts::kVersion;
  const Text product = texts::kProductPrefix + t.VersionText;
  t.WindowTitle = product + "  " + settings.contactText;
  t.TrayTip =
      FitGbk(settings.familyLine + "\r\n" + texts::kTipNameLine + "\r\n" + settings.addressLine, kTipBytes);
  t.BalloonTitle = FitGbk(product, kBalloonTitleBytes);
  t.BalloonText = FitGbk(texts::kCurrentVersion + t.VersionText + texts::kReleaseDate + "\r\n" +
                             texts::kBalloonRule + "\r\n" + settings.addressLine,
                         kBalloonTextBytes);
  return t;
}

Text OtherSiteToolsCaption(const ShellSettings& settings) {
  return settings.otherSiteName + texts::kSoftware;
}

Text SiteToolsCaption(const ShellSettings& settings) {
  return settings.siteName + texts::kSoftware;
}

Text ChatAddress(const ShellSettings& settings, int button, int dayOfMonth) {
  const bool oddDay = dayOfMonth % 2 != 0;
  switch (button) {
    case 1:
      return settings.chatUrls[oddDay ? 0 : 1];
    case 2:
      return settings.chatUrls[oddDay ? 1 : 0];
    case 3:
      return settings.chatUrls[2];
    default:
      return {};
  }
}

}  // namespace vorlane::shell
