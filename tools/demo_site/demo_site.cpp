// The demo site: the local search site of the tests on a fixed port of 127.0.0.1,
// for running the program by hand (scripts/run.sh). Search pages come from the
// test catalogue; every other path answers with a small placeholder page, so the
// maker's links have somewhere to go. Runs until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "local_server.h"
#include "search_site.h"

namespace {

constexpr int kDefaultPort = 8765;
constexpr std::string_view kSearchPrefix = "/book/search/";

vorlane::test::Reply Placeholder(const vorlane::test::RecordedRequest& request) {
  std::string body =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Vorlane demo</title></head>"
      "<body><h1>Vorlane demo site</h1><p>This page stands in for " +
      request.target + ".</p></body></html>";
  return vorlane::test::Reply::Http(200, body, "Content-Type: text/html; charset=utf-8\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  int port = kDefaultPort;
  if (argc > 1) port = std::atoi(argv[1]);

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  // Blocked before the server's threads start, so they inherit the mask and the
  // signal reaches sigwait below.
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  vorlane::test::Handler search = vorlane::test::SearchSiteHandler();
  vorlane::test::LocalServer server(
      [search](const vorlane::test::RecordedRequest& request) {
        return request.target.starts_with(kSearchPrefix) ? search(request) : Placeholder(request);
      },
      port);
  if (server.port() == 0) {
    std::fprintf(stderr, "demo_site: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::printf("demo_site: serving http://%s/\n", server.authority().c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
