// The configuration values the shell uses, read once from the build's
// configuration. All texts are GBK.
#pragma once

#include <array>
#include <cstdint>

#include "check/change_alerts.h"
#include "config/app_config.h"
#include "web/http_service.h"

namespace vorlane::shell {

struct ShellSettings {
  Text siteHost;                 // host[:port] of the site's search
  Text siteName;                 // the site, in the second tray-menu entry and the banner
  Text otherSiteName;            // the other shopping site, in the first entry and the banner
  Text homeUrl;                  // the maker's home page (tray double click)
  Text tutorialUrl;              // the usage tutorial (both hyperlinks, tray entry 3)
  Text helpUrl;                  // the help and news page of the help tab
  Text siteToolsUrl;             // forum of tools for the site (tray entry 2, right banner half)
  Text otherSiteToolsUrl;        // forum of tools for the other site (tray entry 1, left half)
  std::array<Text, 3> chatUrls;  // customer-service chats
  Text browser1Url;              // pages of the two boxes placed outside the window
  Text browser2Url;
  Text otherToolCaption;  // 标签3, ends in "-->>"
  Text familyLine;        // first line of the tray tip
  Text addressLine;       // the maker's web address line (tip and balloon)
  Text contactText;       // customer-service contact shown in the title
  Text readyText;         // status part 0 after loading
  Text noticeText;        // status part 1 after loading
  // The latest version the configuration announces; 0 when it announces none.
  int latestVersion = 0;
  // [network]: how long the HTTP service waits to connect, to send and for each
  // piece of an answer, and after how long a check without an answer is given up.
  web::ServiceTimeouts serviceTimeouts{std::chrono::seconds(15), std::chrono::seconds(30),
                                       std::chrono::seconds(30)};
  std::chrono::microseconds checkDeadline = std::chrono::seconds(60);
  // [alerts]: monitoring's tray balloons; "0" or "1", anything else keeps these.
  check::AlertSettings alerts{.balloon = true, .onIndexed = false};

  static ShellSettings From(const config::AppConfig& config);
};

}  // namespace vorlane::shell
