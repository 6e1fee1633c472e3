// The system port over Win32: files by their UTF-16 names, CreateProcess and
// ShellExecute, the one place the program opens an address in the browser (web
// addresses, and the local pages the program writes).
#pragma once

#include "port/system_port.h"

namespace vorlane::win {

class Win32SystemPort : public port::SystemPort {
 public:
  Text CurrentDirectory() override;
  bool FileExists(const Text& path) override;
  void RemoveFile(const Text& path) override;
  bool StartProgram(const Text& path, bool waitUntilReady) override;
  bool OpenAddress(const Text& address) override;
  bool OpenLocalPage(const Text& path) override;
  Text UpdateFolder() override;
  bool PrepareFolder(const Text& folder) override;
  void RemoveFolder(const Text& folder) override;
};

}  // namespace vorlane::win
