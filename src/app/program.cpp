// The program's entry: program-wide state, the main window, then the message loop
// until the window goes.
#include <windows.h>

#include <memory>

#include "config/data_values.h"
#include "shell/main_window.h"
#include "update/signed_info.h"
#include "update/update_window.h"
#include "web/http_service.h"
#include "win/message_loop.h"
#include "win/system_dlls.h"
#include "win/win32_system_port.h"
#include "win/window_text.h"

using namespace vorlane;

namespace {

// The folder of the running program (not the current directory).
Text ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return Narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

// Ends the process from the main window's last message. ExitProcess stops the
// worker threads (checks still waiting for the site) before anything is released,
// so no worker ever meets released state; the exit code is 0.
[[noreturn]] void EndProgram() {
  ::ExitProcess(0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win::LoadDllsFromSystem32Only();
  const Text folder = ProgramFolder();
  {
    // What the last update unpacked has had its turn.
    win::Win32SystemPort system;
    update::RemoveUpdateLeftovers(system);
  }
  shell::MainWindowOptions options;
  options.config = config::AppConfig::Load(folder);
  web::SetServiceTimeouts(shell::ShellSettings::From(options.config).serviceTimeouts);
  options.onDestroyed = EndProgram;
  options.data = config::ReadDataValues(options.config, folder);
  // The update window reads the configuration again when it opens, with the update
  // info the loading step fetched laid over it as it was then, when its signature
  // holds: fetched once, the same values both times.
  options.startUpdate = [folder](HWND owner, const shell::ShellSettings&, const Text& updateInfo,
                                 const Text& signature) {
    update::UpdateWindowOptions updateOptions;
    updateOptions.readValues = [folder, updateInfo, signature] {
      return update::ReadOfferedUpdate(config::AppConfig::Load(folder), updateInfo, signature);
    };
    return update::RunUpdateWindow(owner, std::move(updateOptions));
  };
  // The program-wide state (the product list, the monitoring state, the tray
  // record) comes first; making it also registers "TaskbarCreated" for the tray.
  // It lives for the whole run: the process ends inside the window's destruction.
  static shell::MainWindow* const window = new shell::MainWindow(std::move(options));
  win::InstallMessagePump();
  if (!window->Create(instance)) return 1;
  return win::RunMessageLoop();
}
