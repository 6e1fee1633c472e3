#include "shell/shell_settings.h"

#include "config/network_values.h"
#include "config/version.h"

#include "text/gbk_text.h"

namespace vorlane::shell {
ShellSettings ShellSettings::From(const config::AppConfig& config) {
  ShellSettings s;
  s.siteHost = config.Get("site", "host");
  s.siteName = config.Get("site", "name");
  s.otherSiteName = config.Get("maker", "other_site_name");
  s.homeUrl = config.Get("maker", "home_url");
  s.tutorialUrl = config.Get("maker", "tutorial_url");
  s.helpUrl = config.Get("maker", "help_url");
  s.siteToolsUrl = config.Get("maker", "site_tools_url");
  s.otherSiteToolsUrl = config.Get("maker", "other_site_tools_url");
  s.chatUrls = {config.Get("maker", "chat1_url"), config.Get("maker", "chat2_url"),
                config.Get("maker", "chat3_url")};
  s.browser1Url = config.Get("maker", "hidden_page1_url");
  s.browser2Url = config.Get("maker", "hidden_page2_url");
  s.otherToolCaption = config.Get("maker", "other_tool_caption");
  s.familyLine = config.Get("maker", "family_line");
  s.addressLine = config.Get("maker", "address_line");
  s.contactText = config.Get("maker", "contact_text");
  s.readyText = config.Get("maker", "ready_text");
  s.noticeText = config.Get("maker", "notice_text");
  // Absent or not a number: nothing newer is announced.
  s.latestVersion = config::LatestVersion(config);
  s.serviceTimeouts.connect = config::NetworkSeconds(config, "connect_timeout", s.serviceTimeouts.connect);
  s.serviceTimeouts.send = config::NetworkSeconds(config, "send_timeout", s.serviceTimeouts.send);
  s.serviceTimeouts.receive = config::NetworkSeconds(config, "receive_timeout", s.serviceTimeouts.receive);
  s.checkDeadline = config::NetworkSeconds(
      config, "check_deadline", std::chrono::duration_cast<std::chrono::milliseconds>(s.checkDeadline));
  s.alerts.balloon = config::SwitchValue(config, "alerts", "balloon", s.alerts.balloon);
  s.alerts.onIndexed = config::SwitchValue(config, "alerts", "on_indexed", s.alerts.onIndexed);
  return s;
}

}  // namespace vorlane::shell
