// The demo site as a user starts it: its own process on a free port of 127.0.0.1,
// with the example catalogue, with a malformed one, and with no options at all.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "search_site.h"
#include "temp_folder.h"
#include "web/web_visit.h"

extern char** environ;

namespace vorlane::test {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

constexpr std::string_view kNotFound = "没有找到你要搜索的";

// demo_site with the arguments, its output read through pipes; stopped with
// SIGTERM (then SIGKILL) when the test is done with it.
class DemoSite {
 public:
  explicit DemoSite(std::vector<std::string> arguments) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    arguments.insert(arguments.begin(), VORLANE_DEMO_SITE_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~DemoSite() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGTERM);
      if (Wait(5s) < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
  }
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;

  // Reads standard output until a line holds `word`, for up to `timeout`; that line
  // or "".
  std::string LineWith(std::string_view word, std::chrono::milliseconds timeout = 10s) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      for (size_t end; (end = stdout_.find('\n')) != std::string::npos;) {
        std::string line = stdout_.substr(0, end);
        stdout_.erase(0, end + 1);
        if (line.find(word) != std::string::npos) return line;
      }
      if (!ReadSome(out_, stdout_, until)) return "";
    }
  }

  // The exit code once the process has ended within `timeout`, or -1.
  int Wait(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      usleep(10000);
    }
    return -1;
  }

  // Everything written to standard error; call once the process has ended.
  std::string Errors() {
    std::string text;
    while (ReadSome(err_, text, std::chrono::steady_clock::now() + 2s)) {
    }
    return text;
  }

  bool started() const { return pid_ > 0; }

 private:
  static bool ReadSome(int fd, std::string& into, std::chrono::steady_clock::time_point until) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  bool exited_ = false;
  int out_ = -1;
  int err_ = -1;
  std::string stdout_;
};

// "http://127.0.0.1:<port>" from the site's "serving" line, or "".
std::string BaseUrl(DemoSite& site) {
  const std::string line = site.LineWith("serving http://");
  const size_t at = line.find("http://");
  if (at == std::string::npos) return "";
  std::string url = line.substr(at);
  if (url.ends_with('/')) url.pop_back();
  return url;
}

std::string Search(const std::string& base, std::string_view utf8Title) {
  Text address = base + "/book/search/" + PercentEncodeAll(utf8Title);
  return VisitPage({.url = address}).body;
}

bool Indexed(const std::string& page) {
  return page.find(kNotFound) == std::string::npos;
}

const std::string kExample = std::string(VORLANE_DEMO_SITE_SOURCE) + "/catalogue.example.txt";

TEST(DemoSiteTest, ServesTheExampleCatalogueAndFlipsItsMarkedTitles) {
  DemoSite site({"--catalogue", kExample, "--flip", "1", "0"});
  ASSERT_TRUE(site.started());
  const std::string base = BaseUrl(site);
  ASSERT_FALSE(base.empty()) << site.Errors();

  const CatalogueReading example = ReadCatalogue(ReadFileBytes(kExample));
  ASSERT_EQ(example.errorLine, 0) << example.error;
  EXPECT_GE(example.titles.size(), 12u);
  int flipping = 0;
  for (const SiteTitle& title : example.titles) {
    const bool indexed = title.kind == PageKind::kFound || title.kind == PageKind::kFoundWithoutCount;
    EXPECT_EQ(Indexed(Search(base, title.utf8)), indexed) << title.utf8;
    if (!title.flips) continue;
    ++flipping;
    EXPECT_EQ(Indexed(Search(base, title.utf8)), !indexed) << title.utf8;
    EXPECT_EQ(Indexed(Search(base, title.utf8)), indexed) << title.utf8;
  }
  EXPECT_GE(flipping, 2);
  EXPECT_FALSE(Indexed(Search(base, "不存在的宝贝")));

  // The titles file beside it lists the catalogue's titles, then one the site does not know.
  std::vector<std::string> listed;
  const std::string titles = ReadFileBytes(std::string(VORLANE_DEMO_SITE_SOURCE) + "/titles.example.txt");
  for (size_t at = 0, end; (end = titles.find("\r\n", at)) != std::string::npos; at = end + 2) {
    listed.push_back(titles.substr(at, end - at));
  }
  ASSERT_EQ(listed.size(), example.titles.size() + 1);
  for (size_t i = 0; i < example.titles.size(); ++i) EXPECT_EQ(listed[i], example.titles[i].utf8);
  EXPECT_FALSE(Indexed(Search(base, listed.back())));
}

TEST(DemoSiteTest, WithoutOptionsServesTheBuiltInCatalogue) {
  DemoSite site({"0"});
  const std::string base = BaseUrl(site);
  ASSERT_FALSE(base.empty()) << site.Errors();
  EXPECT_EQ(Search(base, kDressUtf8), ResultPage(kDressUtf8));
  EXPECT_EQ(Search(base, kLampUtf8), ResultPage(kLampUtf8));
  Text other = base + "/help";
  EXPECT_THAT(VisitPage({.url = other}).body, HasSubstr("stands in for /help"));
}

TEST(DemoSiteTest, RefusesToStartOnAMalformedCatalogueOrBadArguments) {
  TempFolder folder("demo-site-test");
  const std::string bad = (folder / "bad.txt").string();
  WriteFileBytes(bad, "# titles\n毛衣\tfound\t1\n\n台灯\tnot-fund\n");
  {
    DemoSite site({"--catalogue", bad, "0"});
    EXPECT_EQ(site.Wait(10s), 1);
    const std::string errors = site.Errors();
    EXPECT_THAT(errors, HasSubstr(bad + ":4:"));
    EXPECT_THAT(errors, HasSubstr("not-fund"));
  }
  {
    DemoSite site({"--catalogue", (folder / "missing.txt").string(), "0"});
    EXPECT_EQ(site.Wait(10s), 1);
    EXPECT_THAT(site.Errors(), HasSubstr("missing.txt"));
  }
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"--flip", "0", "0"}, std::vector<std::string>{"--flip", "x", "0"},
        std::vector<std::string>{"--colour", "0"}, std::vector<std::string>{"99999"}}) {
    DemoSite site(arguments);
    EXPECT_EQ(site.Wait(10s), 2) << arguments[0];
    EXPECT_FALSE(site.Errors().empty()) << arguments[0];
  }
}

}  // namespace
}  // namespace vorlane::test
