// The system of every test that must not touch the real one: a made-up current
// folder and set of files, and a record of what was removed, started and opened.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "port/system_port.h"

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
  void OpenAddress(const Text& address) override {
    openedAddresses.push_back(address);
    Log("open");
  }

  Text currentDirectory = "C:\\Vorlane";
  std::set<Text> files;  // the files that exist
  std::vector<Text> removed;
  struct Start {
    Text path;
    bool waitUntilReady;
  };
  std::vector<Start> started;
  std::vector<Text> openedAddresses;
  // Where the calls are written in order, beside those of a view, when set.
  std::vector<std::string>* events = nullptr;

 private:
  void Log(const char* what) {
    if (events != nullptr) events->push_back(what);
  }
};

}  // namespace vorlane::test
