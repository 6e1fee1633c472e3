#include "program_run.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>

#include "text/codepage.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace vorlane::cli::test {

#ifdef _WIN32

namespace {

std::wstring Wide(std::string_view utf8) {
  const std::string units = ToUtf16(utf8, kCodePageUtf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size() / 2 - 1);
}

// One argument as the C runtime splits a command line: quoted, with the
// backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

HANDLE InheritableFile(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

struct ProgramRun::Process {
  PROCESS_INFORMATION info{};
  ~Process() {
    if (info.hProcess == nullptr) return;
    if (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info.hProcess, 99);
    ::WaitForSingleObject(info.hProcess, 10000);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
  }
};

ProgramRun::ProgramRun(const std::vector<std::string>& args, const std::vector<std::string>& environment)
    : process_(std::make_unique<Process>()) {
  std::string program = VORLANE_CLI_PATH;
  if (!program.empty() && program.front() == '/') program = "Z:" + program;
  std::wstring line = Quoted(Wide(program));
  for (const std::string& arg : args) line += L" " + Quoted(Wide(arg));
  // Ours, then the test's: the later entry of a name wins where the block is read.
  std::wstring block;
  for (const std::string& entry : environment) block += Wide(entry) + L'\0';
  const wchar_t* ours = ::GetEnvironmentStringsW();
  for (const wchar_t* e = ours; *e != L'\0'; e += wcslen(e) + 1) block += std::wstring(e) + L'\0';
  ::FreeEnvironmentStringsW(const_cast<wchar_t*>(ours));
  block += L'\0';
  HANDLE out = InheritableFile(folder_ / "out");
  HANDLE err = InheritableFile(folder_ / "err");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = err;
  started_ = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                              CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(),
                              folder_.wstring().c_str(), &startup, &process_->info) != FALSE;
  ::CloseHandle(out);
  ::CloseHandle(err);
}

void ProgramRun::Interrupt() {}

ProgramResult ProgramRun::Wait(std::chrono::milliseconds timeout) {
  ProgramResult result;
  if (!started_ ||
      ::WaitForSingleObject(process_->info.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return result;
  DWORD code = 0;
  ::GetExitCodeProcess(process_->info.hProcess, &code);
  result.status = static_cast<int>(code);
  result.out = vorlane::test::ReadFileBytes(folder_ / "out");
  result.err = vorlane::test::ReadFileBytes(folder_ / "err");
  return result;
}

#else

struct ProgramRun::Process {
  pid_t pid = -1;
  ~Process() {
    if (pid == -1) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
};

ProgramRun::ProgramRun(const std::vector<std::string>& args, const std::vector<std::string>& environment)
    : process_(std::make_unique<Process>()) {
  std::vector<std::string> argStrings = {VORLANE_CLI_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> entries = environment;
  for (char** e = environ; *e != nullptr; ++e) entries.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  const std::string out = (folder_ / "out").string(), err = (folder_ / "err").string();
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  started_ = ::posix_spawn(&process_->pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
  ::posix_spawn_file_actions_destroy(&actions);
  if (!started_) process_->pid = -1;
}

void ProgramRun::Interrupt() {
  if (process_->pid != -1) ::kill(process_->pid, SIGINT);
}

ProgramResult ProgramRun::Wait(std::chrono::milliseconds timeout) {
  ProgramResult result;
  const auto end = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (process_->pid != -1 && ::waitpid(process_->pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= end) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (process_->pid == -1) return result;
  process_->pid = -1;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = vorlane::test::ReadFileBytes(folder_ / "out");
  result.err = vorlane::test::ReadFileBytes(folder_ / "err");
  return result;
}

#endif

ProgramRun::~ProgramRun() = default;

}  // namespace vorlane::cli::test
