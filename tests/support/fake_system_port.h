// The system of every test that must not touch the real one: a made-up current
// folder and set of files, and a record of what was removed, started and opened.
#pragma once

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "port/system_port.h"
#include "text/url_parts.h"

namespace vorlane::test {

class FakeSystemPort : public port::SystemPort {
 public:
  Text CurrentDirectory() override { return currentDirectory; }
  bool FileExists(const Text& path) override { return files.count(path) != 0; }
  void RemoveFile(const Text& path) override {
    files.erase(path);
    removed.push_back(path);
    Log("remove");
  }
  // A program starts when its file is there.
  bool StartProgram(const Text& path, bool waitUntilReady) override {
    started.push_back({path, waitUntilReady});
    Log("start");
    return files.count(path) != 0;
  }
  // Opens what the real port opens: web addresses only.
  bool OpenAddress(const Text& address) override {
    if (!IsWebAddress(address)) {
      refusedAddresses.push_back(address);
      Log("refuse");
      return false;
    }
    openedAddresses.push_back(address);
    Log("open");
    return true;
  }
  // A page opens when it has a local page's shape and its file is there.
  bool OpenLocalPage(const Text& path) override {
    if (!IsLocalPagePath(path) || files.count(path) == 0) {
      refusedPages.push_back(path);
      Log("refuse page");
      return false;
    }
    openedPages.push_back(path);
    Log("open page");
    return true;
  }
  Text UpdateFolder() override { return updateFolder; }
  bool PrepareFolder(const Text& folder) override {
    prepared.push_back(folder);
    return writable;
  }
  // Its files go with it.
  void RemoveFolder(const Text& folder) override {
    const Text inside = folder + "\\";
    for (auto it = files.begin(); it != files.end();) {
      it = it->rfind(inside, 0) == 0 ? files.erase(it) : std::next(it);
    }
    removedFolders.push_back(folder);
    Log("remove folder");
  }

  Text currentDirectory = "C:\\Vorlane";
  Text updateFolder = "C:\\Users\\me\\AppData\\Local\\Vorlane\\update";
  bool writable = true;  // whether PrepareFolder succeeds
  std::vector<Text> prepared;
  std::vector<Text> removedFolders;
  std::vector<Text> refusedAddresses;
  std::set<Text> files;  // the files that exist
  std::vector<Text> removed;
  struct Start {
    Text path;
    bool waitUntilReady;
  };
  std::vector<Start> started;
  std::vector<Text> openedAddresses;
  std::vector<Text> openedPages;
  std::vector<Text> refusedPages;
  // Where the calls are written in order, beside those of a view, when set.
  std::vector<std::string>* events = nullptr;

 private:
  void Log(const char* what) {
    if (events != nullptr) events->push_back(what);
  }
};

}  // namespace vorlane::test
