// The texts the shell builds from its settings: the window title, the tray tip and
// balloon, the tray menu captions, and the address a customer-service button opens.
#pragma once

#include "shell/shell_settings.h"

namespace vorlane::shell {

// Byte limits of the tray's text fields, the terminating zero not counted.
inline constexpr size_t kTipBytes = 127;
inline constexpr size_t kBalloonTitleBytes = 63;
inline constexpr size_t kBalloonTextBytes = 255;

// The longest head of `text` within `maxBytes` that does not split a GBK character.
Text FitGbk(std::string_view text, size_t maxBytes);

// The texts of the window and the tray. Three carry the design's own names; the two
// beside them are spelled the same way.
struct AppTexts {
  Text VersionText;   // "1.1"
  Text WindowTitle;   // "Vorlane V1.1", two blanks, the contact text
  Text TrayTip;       // family line, "名称：Vorlane", address line; within kTipBytes
  Text BalloonTitle;  // "Vorlane V1.1"
  Text BalloonText;   // version and date, a rule, the address line
};

AppTexts BuildAppTexts(const ShellSettings& settings);

// Captions of the first two tray-menu entries: a site's name + "软件".
Text OtherSiteToolsCaption(const ShellSettings& settings);
Text SiteToolsCaption(const ShellSettings& settings);

// The chat address customer-service button `button` (1 to 3) opens on day
// `dayOfMonth` (1 to 31): buttons 1 and 2 swap the first two addresses every day,
// so they never open the same one; button 3 always opens the third.
Text ChatAddress(const ShellSettings& settings, int button, int dayOfMonth);

}  // namespace vorlane::shell
