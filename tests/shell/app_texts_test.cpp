#include "shell/app_texts.h"

#include <gtest/gtest.h>

#include "config/version.h"
#include "support/gbk_literal.h"
#include "text/codepage.h"

namespace vorlane::shell {
namespace {

using vorlane::test::Gbk;

ShellSettings Sample() {
  config::AppConfig config;
  config.Merge(
      "[site]\nhost=127.0.0.1:9\nname=导购站\n"
      "[maker]\nother_site_name=淘货站\nfamily_line=Vorlane 卖家工具系列\naddress_line=官网：http://v.test/\n"
      "contact_text=客服QQ：10000\nchat1_url=http://c/1\nchat2_url=http://c/2\nchat3_url=http://c/3\n");
  return ShellSettings::From(config);
}

TEST(AppTexts, TitleTipAndBalloonAreBuiltFromTheVersionAndTheMakersLines) {
  const AppTexts t = BuildAppTexts(Sample());
  EXPECT_EQ(t.VersionText, "1.1");
  EXPECT_EQ(t.WindowTitle, Gbk("Vorlane V1.1  客服QQ：10000"));
  EXPECT_EQ(t.BalloonTitle, "Vorlane V1.1");
  EXPECT_EQ(t.BalloonText,
            Gbk("当前版本：1.1  发布时间：2013.11.9\r\n-------------\r\n官网：http://v.test/"));
  EXPECT_EQ(t.TrayTip, Gbk("Vorlane 卖家工具系列\r\n名称：Vorlane\r\n官网：http://v.test/"));
}

TEST(AppTexts, TheShippedConfigurationFitsTheTrayFields) {
  const AppTexts t = BuildAppTexts(ShellSettings::From(config::AppConfig::Defaults()));
  // Nothing of the shipped texts is cut: the tip still ends in the address line.
  const ShellSettings s = ShellSettings::From(config::AppConfig::Defaults());
  EXPECT_LE(t.TrayTip.size(), kTipBytes);
  EXPECT_EQ(t.TrayTip.substr(t.TrayTip.size() - s.addressLine.size()), s.addressLine);
  EXPECT_LE(t.BalloonText.size(), kBalloonTextBytes);
  EXPECT_EQ(t.BalloonText.substr(t.BalloonText.size() - s.addressLine.size()), s.addressLine);
}

TEST(AppTexts, OverlongTextsAreCutAtACharacterBoundary) {
  EXPECT_EQ(FitGbk("abc", 5), "abc");
  EXPECT_EQ(FitGbk("abc", 2), "ab");
  // "a" then two Chinese characters (2 bytes each): 4 bytes allowed keeps "a" and one.
  EXPECT_EQ(FitGbk(Gbk("a导购"), 4), Gbk("a导"));
  EXPECT_EQ(FitGbk(Gbk("a导购"), 2), "a");
  // A lone lead byte at the end is not a character.
  EXPECT_EQ(FitGbk("ab\xB5", 10), "ab");

  ShellSettings s = Sample();
  s.familyLine =
      Text(60, 'x') + Gbk("导购导购导购导购导购导购导购导购导购导购导购导购导购导购导购导购导购导购");
  const Text tip = BuildAppTexts(s).TrayTip;
  EXPECT_LE(tip.size(), kTipBytes);
  EXPECT_EQ(tip.size() % 2, 0u);  // 60 ASCII bytes, then whole two-byte characters only
  EXPECT_EQ(tip, FitGbk(tip, kTipBytes));
}

TEST(AppTexts, TrayMenuCaptionsNameTheSitesTools) {
  EXPECT_EQ(OtherSiteToolsCaption(Sample()), Gbk("淘货站软件"));
  EXPECT_EQ(SiteToolsCaption(Sample()), Gbk("导购站软件"));
}

TEST(ChatAddress, TheFirstTwoButtonsSwapTheirAddressesEveryDay) {
  const ShellSettings s = Sample();
  EXPECT_EQ(ChatAddress(s, 1, 1), "http://c/1");
  EXPECT_EQ(ChatAddress(s, 2, 1), "http://c/2");
  EXPECT_EQ(ChatAddress(s, 1, 2), "http://c/2");
  EXPECT_EQ(ChatAddress(s, 2, 2), "http://c/1");
  EXPECT_EQ(ChatAddress(s, 1, 31), "http://c/1");
  for (int day = 1; day <= 31; ++day) {
    EXPECT_NE(ChatAddress(s, 1, day), ChatAddress(s, 2, day)) << day;
    EXPECT_EQ(ChatAddress(s, 3, day), "http://c/3") << day;
  }
  EXPECT_EQ(ChatAddress(s, 4, 1), "");
}

TEST(ShellSettings, AnUpdateIsAnnouncedOnlyFromVersion111) {
  auto announced = [](std::string_view ini) {
    config::AppConfig config = config::AppConfig::Defaults();
    config.Merge(ini);
    return config::IsNewerVersion(ShellSettings::From(config).latestVersion);
  };
  EXPECT_FALSE(announced(""));  // the shipped configuration announces nothing
  EXPECT_FALSE(announced("[update]\nlatest_version=110\n"));
  EXPECT_TRUE(announced("[update]\nlatest_version=111\n"));
  EXPECT_TRUE(announced("[update]\nlatest_version = 250 \n"));
  EXPECT_FALSE(announced("[update]\nlatest_version=soon\n"));
}

TEST(ShellSettings, ReadsTheMakersPagesFromTheConfiguration) {
  const ShellSettings s = ShellSettings::From(config::AppConfig::Defaults());
  EXPECT_EQ(s.siteHost, "127.0.0.1:8765");
  EXPECT_EQ(s.tutorialUrl, "http://127.0.0.1:8765/help/tutorial.html");
  EXPECT_EQ(s.chatUrls[2], "http://127.0.0.1:8765/chat/3");
  EXPECT_EQ(s.otherToolCaption.substr(s.otherToolCaption.size() - 4), "-->>");
  EXPECT_FALSE(s.browser1Url.empty());
  EXPECT_FALSE(s.browser2Url.empty());
}

TEST(ShellSettings, TheChecksWaitAsConfiguredAndNotForEver) {
  using namespace std::chrono_literals;
  auto settings = [](std::string_view ini) {
    config::AppConfig config = config::AppConfig::Defaults();
    config.Merge(ini);
    return ShellSettings::From(config);
  };
  const ShellSettings shipped = settings("");
  EXPECT_EQ(shipped.serviceTimeouts.connect, 15s);
  EXPECT_EQ(shipped.serviceTimeouts.send, 30s);
  EXPECT_EQ(shipped.serviceTimeouts.receive, 30s);
  EXPECT_EQ(shipped.checkDeadline, 60s);
  const ShellSettings tuned =
      settings("[network]\nconnect_timeout = 2.5\nreceive_timeout=45\ncheck_deadline = 0.5\n");
  EXPECT_EQ(tuned.serviceTimeouts.connect, 2500ms);
  EXPECT_EQ(tuned.serviceTimeouts.receive, 45s);
  EXPECT_EQ(tuned.checkDeadline, 500ms);
  // Nothing, no number, or a value that would mean no wait or for ever: the default.
  for (const char* bad : {"0", "-3", "soon", "99999", "0.01"}) {
    const ShellSettings s =
        settings(std::string("[network]\ncheck_deadline=") + bad + "\nsend_timeout=" + bad);
    EXPECT_EQ(s.checkDeadline, 60s) << bad;
    EXPECT_EQ(s.serviceTimeouts.send, 30s) << bad;
  }
}

TEST(ShellSettings, AlertBalloonsAreOnForDropsOnlyUnlessTheIniSaysOtherwise) {
  auto alerts = [](std::string_view ini) {
    config::AppConfig config = config::AppConfig::Defaults();
    config.Merge(ini);
    const check::AlertSettings a = ShellSettings::From(config).alerts;
    return std::pair(a.balloon, a.onIndexed);
  };
  EXPECT_EQ(alerts(""), std::pair(true, false));
  EXPECT_EQ(alerts("[alerts]\nballoon = 0\non_indexed = 1\n"), std::pair(false, true));
  EXPECT_EQ(alerts("[alerts]\nballoon=yes\non_indexed=2\n"), std::pair(true, false));
}

}  // namespace
}  // namespace vorlane::shell
