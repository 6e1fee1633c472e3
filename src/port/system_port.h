// What the program asks of the system outside its windows: files and folders named
// by GBK paths, the update's own folder, starting programs, and opening web
// addresses, and the pages the program writes itself, in the user's browser.
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
  // Opens a web address (IsWebAddress, text/url_parts.h) with the system's default
  // handler, the browser. Anything else is refused, never handed to the shell:
  // false. Every address from configuration or the network comes through here.
  virtual bool OpenAddress(const Text& address) = 0;
  // Opens a page the program wrote itself (the report) with the system's handler of
  // its type: only an existing regular file (no link) whose path IsLocalPagePath
  // (text/url_parts.h) accepts, handed over as a path, with no parameters. It is
  // the one thing besides a web address that reaches the shell. False otherwise.
  virtual bool OpenLocalPage(const Text& path) = 0;

  // The update's own folder, private to the user (%LOCALAPPDATA%\Vorlane\update on
  // Windows); not made yet. Empty when the system names no such folder.
  virtual Text UpdateFolder() = 0;
  // Makes `folder` and any missing folder above it; true when a file can be written
  // in it.
  virtual bool PrepareFolder(const Text& folder) = 0;
  // Removes `folder` with everything in it, read-only files too.
  virtual void RemoveFolder(const Text& folder) = 0;
};

}  // namespace vorlane::port
