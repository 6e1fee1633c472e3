// What the program asks of the system outside its windows: files and folders named
// by GBK paths, starting programs, and opening addresses in the user's browser.
// One Win32 implementation (win32_system_port.h) and one fake for the tests.
#pragma once

#include "text/text.h"

namespace vorlane::port {

class SystemPort {
 public:
  virtual ~SystemPort() = default;

  // The process's current directory; empty when it cannot be read.
  virtual Text CurrentDirectory() = 0;
  virtual bool FileExists(const Text& path) = 0;
  // Removes a file, read-only or hidden as it may be; nothing when it is not there.
  virtual void RemoveFile(const Text& path) = 0;
  // Starts a program without arguments in a normal window and does not wait for it
  // to end; with `waitUntilReady`, waits up to a second for it to take input.
  virtual bool StartProgram(const Text& path, bool waitUntilReady) = 0;
  // Opens an address with the system's default handler (the browser).
  virtual void OpenAddress(const Text& address) = 0;
};

}  // namespace vorlane::port
