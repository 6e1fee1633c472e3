// The system as the checks on a console see it. The monitor and the row checks ask
// nothing of it; the file questions are answered by the file system, and a console
// has no program to start or browser to open an address in.
#pragma once

#include "port/system_port.h"

namespace vorlane::cli {

class ConsoleSystemPort final : public port::SystemPort {
 public:
  Text CurrentDirectory() override;
  bool FileExists(const Text& path) override;
  void RemoveFile(const Text& path) override;
  bool StartProgram(const Text& /*path*/, bool /*waitUntilReady*/) override { return false; }
  bool OpenAddress(const Text& /*address*/) override { return false; }
  bool OpenLocalPage(const Text& /*path*/) override { return false; }
  // A console runs no update.
  Text UpdateFolder() override { return {}; }
  bool PrepareFolder(const Text& /*folder*/) override { return false; }
  void RemoveFolder(const Text& /*folder*/) override {}
};

}  // namespace vorlane::cli
