// The demo site: the local search site of the tests on a fixed port of 127.0.0.1,
// for running the program by hand (scripts/run.sh). Search pages come from the
// test catalogue, or from a catalogue file; every other path answers with a small
// placeholder page, so the maker's links have somewhere to go. Runs until SIGINT or
// SIGTERM.
//
//   demo_site [--catalogue FILE] [--flip N] [PORT]
//
// PORT defaults to 8765; 0 takes any free port. FILE's format is described at the
// top of catalogue.example.txt. With --flip N the titles FILE marks "flip" change
// their verdict every N searches of that title, so that a monitor sees changes.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "local_server.h"
#include "search_site.h"

namespace {

constexpr int kDefaultPort = 8765;
constexpr std::string_view kSearchPrefix = "/book/search/";
constexpr char kUsage[] = "usage: demo_site [--catalogue FILE] [--flip N] [PORT]\n";

vorlane::test::Reply Placeholder(const vorlane::test::RecordedRequest& request) {
  std::string body =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Vorlane demo</title></head>"
      "<body><h1>Vorlane demo site</h1><p>This page stands in for " +
      request.target + ".</p></body></html>";
  return vorlane::test::Reply::Http(200, body, "Content-Type: text/html; charset=utf-8\r\n");
}

// A whole decimal number in [low, high], or -1.
int NumberArgument(const char* text, int low, int high) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < low || value > high) return -1;
  return static_cast<int>(value);
}

struct Arguments {
  int port = kDefaultPort;
  const char* catalogueFile = nullptr;
  int flipEvery = 0;
};

bool ParseArguments(int argc, char** argv, Arguments& arguments) {
  bool portGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--catalogue" && i + 1 < argc) {
      arguments.catalogueFile = argv[++i];
    } else if (argument == "--flip" && i + 1 < argc) {
      arguments.flipEvery = NumberArgument(argv[++i], 1, 1000000);
      if (arguments.flipEvery < 0) {
        std::fprintf(stderr, "demo_site: --flip takes a whole number of searches from 1 up\n");
        return false;
      }
    } else if (!portGiven && !argument.starts_with("-")) {
      arguments.port = NumberArgument(argv[i], 0, 65535);
      if (arguments.port < 0) {
        std::fprintf(stderr, "demo_site: '%s' is not a port\n", argv[i]);
        return false;
      }
      portGiven = true;
    } else {
      std::fputs(kUsage, stderr);
      return false;
    }
  }
  return true;
}

// The catalogue FILE holds, or null after saying what is wrong with it.
std::shared_ptr<const vorlane::test::SiteCatalogue> LoadCatalogue(const char* file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "demo_site: cannot read the catalogue %s\n", file);
    return nullptr;
  }
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  vorlane::test::CatalogueReading reading = vorlane::test::ReadCatalogue(text);
  if (reading.errorLine != 0) {
    std::fprintf(stderr, "demo_site: %s:%d: %s\n", file, reading.errorLine, reading.error.c_str());
    return nullptr;
  }
  return std::make_shared<const vorlane::test::SiteCatalogue>(std::move(reading.titles));
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!ParseArguments(argc, argv, arguments)) return 2;

  vorlane::test::SearchSiteOptions options;
  options.flipEvery = arguments.flipEvery;
  if (arguments.catalogueFile) {
    options.catalogue = LoadCatalogue(arguments.catalogueFile);
    if (!options.catalogue) return 1;
    size_t flipping = 0;
    for (const vorlane::test::SiteTitle& title : *options.catalogue) flipping += title.flips ? 1 : 0;
    std::printf("demo_site: %zu titles from %s, %zu marked flip\n", options.catalogue->size(),
                arguments.catalogueFile, flipping);
  }
  if (arguments.flipEvery > 0) {
    std::printf("demo_site: titles marked flip change their verdict every %d searches\n",
                arguments.flipEvery);
  }

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  // Blocked before the server's threads start, so they inherit the mask and the
  // signal reaches sigwait below.
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  vorlane::test::Handler search = vorlane::test::SearchSiteHandler(options);
  vorlane::test::LocalServer server(
      [search](const vorlane::test::RecordedRequest& request) {
        return request.target.starts_with(kSearchPrefix) ? search(request) : Placeholder(request);
      },
      arguments.port);
  if (server.port() == 0) {
    std::fprintf(stderr, "demo_site: cannot listen on 127.0.0.1:%d\n", arguments.port);
    return 1;
  }
  std::printf("demo_site: serving http://%s/\n", server.authority().c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
