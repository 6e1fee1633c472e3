#include <windows.h>

#include <cwctype>
#include <string>

#include "cli/child_process.h"
#include "text/wide_text.h"

namespace vorlane::cli {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

struct EnvironmentStringsFree {
  void operator()(wchar_t* block) const { ::FreeEnvironmentStringsW(block); }
};

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

// Ours, less what the command is given, then what it is given: NUL-separated
// entries ending in an empty one.
std::wstring EnvironmentBlock(const std::vector<EnvironmentVariable>& variables) {
  std::wstring block;
  const std::unique_ptr<wchar_t, EnvironmentStringsFree> ours(::GetEnvironmentStringsW());
  for (const wchar_t* entry = ours.get(); entry != nullptr && *entry != L'\0';) {
    const std::wstring_view text(entry);
    // Entries such as "=C:=C:\dir" name a drive's folder; their name starts after the '='.
    const std::wstring_view name = text.substr(0, text.find(L'=', 1));
    bool replaced = false;
    for (const EnvironmentVariable& v : variables) replaced |= SameName(name, Wide(v.name));
    if (!replaced) block.append(text).push_back(L'\0');
    entry += text.size() + 1;
  }
  for (const EnvironmentVariable& v : variables) block.append(Wide(v.name) + L"=" + Wide(v.value)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

// Our standard handle as one the child may inherit.
OwnedHandle Inheritable(DWORD which) {
  HANDLE handle = ::GetStdHandle(which);
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
    return nullptr;
  return OwnedHandle(copy);
}

}  // namespace

struct ChildProcess::Impl {
  OwnedHandle process;  // null when no child is running
  OwnedHandle job;      // everything the child starts stays in it
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::Start(const std::string& command, const std::vector<EnvironmentVariable>& variables,
                         Encoding /*encoding*/) {
  if (impl_->process) return false;
  wchar_t comspec[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
  const std::wstring shell = length > 0 && length < MAX_PATH ? std::wstring(comspec, length) : L"cmd.exe";
  // /s: the quotes round the command are cmd's, whatever quotes it holds itself.
  std::wstring line = L"\"" + shell + L"\" /d /s /c \"" + Wide(command) + L"\"";
  std::wstring environment = EnvironmentBlock(variables);

  // The command writes where we do; it reads nothing.
  OwnedHandle output = Inheritable(STD_OUTPUT_HANDLE);
  OwnedHandle error = Inheritable(STD_ERROR_HANDLE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output.get();
  startup.hStdError = error.get();
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED,
                        environment.data(), nullptr, &startup, &info))
    return false;
  impl_->process.reset(info.hProcess);
  const OwnedHandle thread(info.hThread);
  impl_->job.reset(::CreateJobObjectW(nullptr, nullptr));
  if (impl_->job) {
    // Should this process end first, the job's end takes the command with it.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(impl_->job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (!::AssignProcessToJobObject(impl_->job.get(), info.hProcess)) impl_->job.reset();
  }
  ::ResumeThread(info.hThread);
  return true;
}

std::optional<ExitStatus> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (!impl_->process) return std::nullopt;
  const DWORD waited = ::WaitForSingleObject(impl_->process.get(), static_cast<DWORD>(timeout.count()));
  if (waited == WAIT_TIMEOUT) return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(impl_->process.get(), &code);
  impl_->process.reset();
  impl_->job.reset();
  return ExitStatus{false, static_cast<int>(code)};
}

void ChildProcess::Kill() {
  if (!impl_->process) return;
  if (impl_->job) {
    ::TerminateJobObject(impl_->job.get(), 1);
  } else {
    ::TerminateProcess(impl_->process.get(), 1);
  }
  ::WaitForSingleObject(impl_->process.get(), INFINITE);
  impl_->process.reset();
  impl_->job.reset();
}

}  // namespace vorlane::cli
