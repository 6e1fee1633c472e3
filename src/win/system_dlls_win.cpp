#include "win/system_dlls.h"

#include <windows.h>
// After windows.h, which it needs.
#include <delayimp.h>

#include <string>

namespace vorlane::win {
namespace {

// The delay-load helper asks this before it loads a DLL by its bare name; a module
// given back is used as it is. Null (System32 unreadable) leaves the helper to its
// own load, which the default directories above keep to System32 too.
FARPROC WINAPI LoadFromSystem32(unsigned notify, PDelayLoadInfo info) {
  if (notify != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) return nullptr;
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  path += L'\\';
  for (const char* c = info->szDll; *c != '\0'; ++c)
    path += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return reinterpret_cast<FARPROC>(::LoadLibraryExW(path.c_str(), nullptr, 0));
}

}  // namespace

void LoadDllsFromSystem32Only() {
  // Looked up: Windows 7 has it only with an update.
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

}  // namespace vorlane::win

// The runtime's delay-load helper calls this hook; defining it here (the object
// that every program's entry point pulls in) replaces the runtime's empty one.
// delayimp.h declares it extern "C"; this is its one definition.
PfnDliHook __pfnDliNotifyHook2 = vorlane::win::LoadFromSystem32;
