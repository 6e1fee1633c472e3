#include "cli/change_commands.h"
#include "check/status_tokens.h"

#include <algorithm>

#include "check/product_list.h"
#include "cli/cli_texts.h"
#include "cli/row_format.h"
#include "record/check_record.h"

namespace vorlane::cli {
namespace {

// How often a wait for a command looks whether it is to be ended.
constexpr std::chrono::milliseconds kCancelCheck{50};
constexpr std::chrono::milliseconds kFinishWait{50};

Text SecondsText(std::chrono::milliseconds duration) {
  const auto ms = duration.count();
  Text text = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    Text fraction = std::to_string(1000 + ms % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text;
}

}  // namespace

CommandOutcome RunCommand(const std::string& command, const std::vector<EnvironmentVariable>& variables,
                          Encoding encoding, std::chrono::milliseconds timeout,
                          const std::atomic<bool>& cancel) {
  ChildProcess child;
  if (!child.Start(command, variables, encoding)) return {CommandOutcome::Kind::kNotStarted, 0};
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (cancel.load()) {
      child.Kill();
      return {CommandOutcome::Kind::kCancelled, 0};
    }
    if (left.count() <= 0) {
      child.Kill();
      return {CommandOutcome::Kind::kTimedOut, 0};
    }
    if (std::optional<ExitStatus> status = child.Wait(std::min(left, kCancelCheck))) {
      return {status->signalled ? CommandOutcome::Kind::kSignalled : CommandOutcome::Kind::kExited,
              status->code};
    }
  }
}

// Full-width digits (GBK A3 B0 to A3 B9) count as their ASCII ones; every other
// character, of one byte or two, is left out.
Text CountDigits(std::string_view gbk) {
  Text digits;
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte >= '0' && byte <= '9') {
      digits += static_cast<char>(byte);
    } else if (byte >= 0x81 && i + 1 < gbk.size()) {
      const auto trail = static_cast<unsigned char>(gbk[++i]);
      if (byte == 0xA3 && trail >= 0xB0 && trail <= 0xB9) digits += static_cast<char>('0' + (trail - 0xB0));
    }
  }
  return digits;
}

std::vector<EnvironmentVariable> ChangeVariables(const StatusChange& change) {
  return {{"VORLANE_TITLE", change.title},
          {"VORLANE_OLD_STATUS", Text(check::StatusToken(change.from))},
          {"VORLANE_NEW_STATUS", Text(check::StatusToken(change.to))},
          {"VORLANE_COUNT", CountDigits(change.count)},
          {"VORLANE_COUNT_RAW", change.count}};
}

ChangeCommands::ChangeCommands(port::Scheduler& scheduler, OutputStream& out, std::string command,
                               std::chrono::milliseconds timeout)
    : scheduler_(scheduler),
      out_(out),
      command_(std::move(command)),
      timeout_(timeout),
      link_(port::WorkerLink<ChangeCommands>::Make(*this, scheduler)) {}

ChangeCommands::~ChangeCommands() {
  cancel_->store(true);
  link_->Cut();
}

void ChangeCommands::Run(const StatusChange& change) {
  queue_.push_back(change);
  if (!running_) StartNext();
}

void ChangeCommands::StartNext() {
  if (queue_.empty()) return;
  StatusChange change = std::move(queue_.front());
  queue_.pop_front();
  running_ = true;
  scheduler_.StartWorker([link = link_, command = command_, variables = ChangeVariables(change),
                          encoding = out_.encoding(), timeout = timeout_, cancel = cancel_,
                          title = change.title] {
    const CommandOutcome outcome = RunCommand(command, variables, encoding, timeout, *cancel);
    link->Post([title, outcome](ChangeCommands& self) { self.OnDone(title, outcome); });
  });
}

void ChangeCommands::OnDone(const Text& title, CommandOutcome outcome) {
  running_ = false;
  Text line = check::FormatCheckTime(scheduler_.LocalNow()) + "  ";
  switch (outcome.kind) {
    case CommandOutcome::Kind::kExited:
      line += texts::kCommandExited + std::to_string(outcome.code);
      break;
    case CommandOutcome::Kind::kSignalled:
      line += texts::kCommandSignalled + std::to_string(outcome.code);
      break;
    case CommandOutcome::Kind::kTimedOut:
      line += texts::kCommandTimedOut + SecondsText(timeout_) + texts::kCommandTimedOutEnd;
      break;
    case CommandOutcome::Kind::kCancelled:
      line += texts::kCommandStopped;
      break;
    case CommandOutcome::Kind::kNotStarted:
      line += texts::kCommandNotStarted;
      break;
  }
  out_.Write(line + texts::kCommandFor + ShownText(title) + Text(kNewline));
  StartNext();
}

void ChangeCommands::Finish() {
  queue_.clear();
  if (!running_) return;
  cancel_->store(true);
  while (running_) scheduler_.DelayWithEvents(kFinishWait);
}

}  // namespace vorlane::cli
