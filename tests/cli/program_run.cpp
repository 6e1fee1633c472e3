#include "program_run.h"

#include <thread>

#include "support/wait_until.h"

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

ConsoleBuffer::ConsoleBuffer() {
  // AllocConsole points the standard handles at the new console; the test's own
  // output goes on where ctest reads it.
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE), out = ::GetStdHandle(STD_OUTPUT_HANDLE),
               err = ::GetStdHandle(STD_ERROR_HANDLE);
  // A console of its own: the one a program started from a Unix shell has under
  // Wine makes no screen buffers.
  ::FreeConsole();
  const bool allocated = ::AllocConsole() != FALSE;
  const DWORD allocError = allocated ? 0 : ::GetLastError();
  ::SetStdHandle(STD_INPUT_HANDLE, in);
  ::SetStdHandle(STD_OUTPUT_HANDLE, out);
  ::SetStdHandle(STD_ERROR_HANDLE, err);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE buffer =
      ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                  CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (buffer == INVALID_HANDLE_VALUE || buffer == nullptr) {
    failure_ = "CreateConsoleScreenBuffer failed, error " + std::to_string(::GetLastError()) +
               (allocated ? "" : "; AllocConsole failed, error " + std::to_string(allocError));
    return;
  }
  // Wide enough that no row of the tests wraps.
  if (!::SetConsoleScreenBufferSize(buffer, COORD{200, 50})) {
    failure_ = "SetConsoleScreenBufferSize failed, error " + std::to_string(::GetLastError());
    ::CloseHandle(buffer);
    return;
  }
  buffer_ = buffer;
}

ConsoleBuffer::~ConsoleBuffer() {
  if (buffer_ != nullptr) ::CloseHandle(buffer_);
}

void ConsoleBuffer::Clear() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ::GetConsoleScreenBufferInfo(buffer_, &info);
  DWORD written = 0;
  ::FillConsoleOutputCharacterW(buffer_, L' ', static_cast<DWORD>(info.dwSize.X) * info.dwSize.Y, COORD{0, 0},
                                &written);
  ::SetConsoleCursorPosition(buffer_, COORD{0, 0});
}

std::vector<std::string> ConsoleBuffer::Lines() const {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ::GetConsoleScreenBufferInfo(buffer_, &info);
  std::vector<std::string> lines;
  std::u16string row(static_cast<size_t>(info.dwSize.X), u' ');
  for (SHORT y = 0; y < info.dwSize.Y; ++y) {
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(buffer_, reinterpret_cast<wchar_t*>(row.data()), info.dwSize.X, COORD{0, y},
                                  &read);
    std::u16string line;
    for (size_t i = 0; i < read; ++i) {
      if (row[i] == u' ' && (line.empty() || line.back() == u' ')) continue;
      line += row[i];
    }
    while (!line.empty() && line.back() == u' ') line.pop_back();
    lines.push_back(GbkToUtf8(Utf16StringToGbk(line)));
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

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

ProgramRun::ProgramRun(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                       void* consoleOutput)
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
  startup.hStdOutput = consoleOutput != nullptr ? static_cast<HANDLE>(consoleOutput) : out;
  startup.hStdError = err;
  // A console handle is good only on its own console: the program then shares ours.
  const DWORD console = consoleOutput != nullptr ? 0 : CREATE_NO_WINDOW;
  started_ =
      ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT | console,
                       block.data(), folder_.wstring().c_str(), &startup, &process_->info) != FALSE;
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

ProgramRun::ProgramRun(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                       void* /*consoleOutput*/)
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
  if (process_->pid == -1) return result;
  int status = 0;
  if (!vorlane::test::WaitUntil([&] { return ::waitpid(process_->pid, &status, WNOHANG) != 0; }, timeout))
    return result;
  process_->pid = -1;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = vorlane::test::ReadFileBytes(folder_ / "out");
  result.err = vorlane::test::ReadFileBytes(folder_ / "err");
  return result;
}

#endif

ProgramRun::~ProgramRun() = default;

}  // namespace vorlane::cli::test
