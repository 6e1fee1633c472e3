// Where the programs load DLLs from: System32 alone. The portable zip is unpacked
// wherever the user likes, Downloads most often, and a DLL planted beside the exe
// under a system DLL's name would otherwise be loaded in its place. Windows only.
#pragma once

namespace vorlane::win {

// The first thing each program's entry point does: every later load by a bare name
// searches System32 alone (SetDefaultDllDirectories; where a Windows 7 lacks it,
// at least the current folder leaves the search), and the delay-loaded DLLs are
// loaded by their full System32 path.
void LoadDllsFromSystem32Only();

}  // namespace vorlane::win
