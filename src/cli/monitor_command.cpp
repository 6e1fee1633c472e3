#include "cli/monitor_command.h"

#include <memory>
#include <optional>

#include "check/monitor.h"
#include "check/product_list_controller.h"
#include "cli/change_commands.h"
#include "cli/cli_texts.h"
#include "cli/console_main_view.h"
#include "cli/console_system_port.h"
#include "cli/interrupt_watch.h"
#include "cli/titles_input.h"
#include "cli/verdict_watch.h"
#include "record/history_file.h"

namespace vorlane::cli {
namespace {

// How long the front end waits at a time while monitoring: only how late it notices
// that monitoring has stopped. Ticks and checks are handled within the wait.
constexpr std::chrono::milliseconds kWait{50};

// The monitoring itself, its parts wired as the window wires them.
class Monitoring {
 public:
  Monitoring(const CliOptions& options, CommandContext& context, std::vector<Text> titles)
      : context_(context),
        view_(context.scheduler, context.out, context.err, options.intervalMinutes, options.onlyUnindexed),
        checks_{view_, context.scheduler, system_, context.site.host, context.fetch, context.site.deadline},
        rows_(checks_, list_),
        // Before the monitor, so that a verdict's line comes before the status the
        // monitor sets for it.
        watch_(rows_, list_, context.scheduler, context.out),
        monitor_(checks_, rows_),
        link_(port::WorkerLink<Monitoring>::Make(*this, context.scheduler)) {
    list_.Replace(std::move(titles));
    view_.SetListRowCount(list_.count());
    view_.onTick = [this] { monitor_.OnMonitorTick(); };
  }
  ~Monitoring() { link_->Cut(); }

  VerdictWatch& watch() { return watch_; }

  // Runs until Ctrl+C; the exit status of the titles' latest verdicts.
  int Run(ChangeCommands* commands) {
    // A watcher thread delivers Ctrl+C; the stop itself runs on the main thread.
    InterruptWatch interrupt(
        [link = link_] { link->Post([](Monitoring& self) { self.monitor_.StopMonitoring(); }); });
    monitor_.StartMonitoring();
    while (monitor_.state() == check::MonitorState::Monitoring) context_.scheduler.DelayWithEvents(kWait);
    if (commands != nullptr) commands->Finish();
    return watch_.ExitStatus();
  }

 private:
  CommandContext& context_;
  ConsoleMainView view_;
  ConsoleSystemPort system_;
  check::CheckContext checks_;
  check::ProductList list_;
  check::ProductListController rows_;
  VerdictWatch watch_;
  check::Monitor monitor_;
  std::shared_ptr<port::WorkerLink<Monitoring>> link_;
};

}  // namespace

int RunMonitorCommand(const CliOptions& options, CommandContext& context) {
  TitlesRead read = ReadTitles({}, options.file, context.pathEncoding);
  if (!read.error.empty()) {
    ReportError(context.err, read.error);
    return kExitUsage;
  }
  record::HistoryWriter history;
  if (options.history) {
    const Text shown = DecodeText(*options.history, context.pathEncoding);
    switch (history.Open(*options.history)) {
      case record::HistoryWriter::Opened::kOpened:
        break;
      case record::HistoryWriter::Opened::kNotOurs:
        ReportError(context.err, texts::kHistoryNotOurs + shown);
        return kExitUsage;
      case record::HistoryWriter::Opened::kUnopenable:
        ReportError(context.err, texts::kHistoryUnopenable + shown);
        return kExitUsage;
    }
  }
  std::optional<ChangeCommands> commands;
  if (options.onChange) {
    commands.emplace(
        context.scheduler, context.out, *options.onChange,
        std::chrono::milliseconds(static_cast<std::int64_t>(options.onChangeTimeoutSeconds * 1000 + 0.5)));
  }

  Monitoring monitoring(options, context, std::move(read.titles));
  bool historyFailed = false;
  monitoring.watch().onRecord = [&](const record::CheckRecord& record) {
    if (!history.isOpen() || history.Append(record) || historyFailed) return;
    historyFailed = true;
    ReportError(context.err, texts::kHistoryWriteFailed + DecodeText(*options.history, context.pathEncoding));
  };
  if (commands)
    monitoring.watch().onChange = [&commands](const StatusChange& change) { commands->Run(change); };
  const int status = monitoring.Run(commands ? &*commands : nullptr);
  return historyFailed ? kExitWriteFailed : status;
}

}  // namespace vorlane::cli
