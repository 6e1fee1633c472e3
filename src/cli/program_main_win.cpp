// vorlane-cli.exe's entry: the arguments arrive as UTF-16, whatever the system's
// code page, and are taken into the program's GBK at once.
#include <windows.h>

#include <filesystem>

#include "cli/program.h"
#include "text/codepage.h"
#include "win/system_dlls.h"

int wmain(int argc, wchar_t** argv) {
  vorlane::win::LoadDllsFromSystem32Only();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(vorlane::Utf16StringToGbk(reinterpret_cast<const char16_t*>(argv[i])));
  }
  wchar_t self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string folder;
  if (length > 0 && length < MAX_PATH) {
    const std::u16string parent = std::filesystem::path(std::wstring(self, length)).parent_path().u16string();
    folder = vorlane::Utf16StringToGbk(parent);
  }
  return vorlane::cli::RunProgram(args, vorlane::cli::Encoding::kGbk, folder);
}
