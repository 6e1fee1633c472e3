// How long the window takes to show an imported titles file: from the open-file
// dialog's OK to the list painted with its last row in sight, for 100,000 titles,
// on the real main window. Beside it, in the same run and the same Wine, a bare
// owner-data list view of the same size, columns and font is given the same
// 100,000 rows. A plain Windows program: run it under Wine in Xvfb with
// bench/shell/run_list_import_bench.sh.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/main_window.h"
#include "text/codepage.h"
#include "web/message_box.h"
#include "win/message_loop.h"
#include "win/window_text.h"

using namespace vorlane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTitles = 100000;
constexpr auto kPaintTimeout = std::chrono::seconds(120);
constexpr wchar_t kReferenceClass[] = L"VorlaneBenchReferenceList";

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// This process's resident bytes (its working set, as Task Manager shows it).
double ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.WorkingSetSize);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Handles this thread's messages until `done` holds; false when time ran out.
bool PumpUntil(const std::function<bool()>& done) {
  const auto end = Clock::now() + kPaintTimeout;
  while (!done()) {
    if (Clock::now() >= end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    win::ProcessPendingMessages();
  }
  return true;
}

// Watches one list view: notes the moment a paint of the list has asked its
// parent for the text of row `lastRow` and has finished.
class PaintWatch {
 public:
  explicit PaintWatch(HWND list) : list_(list), parent_(::GetParent(list)) {
    ::SetWindowSubclass(list_, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
    ::SetWindowSubclass(parent_, ParentProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~PaintWatch() {
    ::RemoveWindowSubclass(list_, ListProc, 1);
    ::RemoveWindowSubclass(parent_, ParentProc, 1);
  }
  PaintWatch(const PaintWatch&) = delete;
  PaintWatch& operator=(const PaintWatch&) = delete;

  void Expect(int lastRow) {
    lastRow_ = lastRow;
    paintedAt_.reset();
  }
  // Waits for the paint; the time it ended, or nothing when it never came.
  std::optional<Clock::time_point> Wait() {
    if (!PumpUntil([this] { return paintedAt_.has_value() && !::GetUpdateRect(list_, nullptr, FALSE); })) {
      return std::nullopt;
    }
    return paintedAt_;
  }

 private:
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR self) {
    auto& watch = *reinterpret_cast<PaintWatch*>(self);
    if (message != WM_PAINT) return ::DefSubclassProc(window, message, wParam, lParam);
    watch.inPaint_ = true;
    watch.sawLastRow_ = false;
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    watch.inPaint_ = false;
    if (watch.sawLastRow_) watch.paintedAt_ = Clock::now();
    return result;
  }
  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    auto& watch = *reinterpret_cast<PaintWatch*>(self);
    if (message == WM_NOTIFY && watch.inPaint_) {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.hwndFrom == watch.list_ && header.code == LVN_GETDISPINFOW &&
          reinterpret_cast<const NMLVDISPINFOW*>(lParam)->item.iItem == watch.lastRow_) {
        watch.sawLastRow_ = true;
      }
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
  }

  HWND list_;
  HWND parent_;
  int lastRow_ = -1;
  bool inPaint_ = false;
  bool sawLastRow_ = false;
  std::optional<Clock::time_point> paintedAt_;
};

// Removes the file when the run is over.
class TempTitlesFile {
 public:
  TempTitlesFile(const std::string& name, const std::string& bytes)
      : path_(std::filesystem::temp_directory_path() /
              (name + "-" + std::to_string(::GetCurrentProcessId()) + ".txt")) {
    std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempTitlesFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  TempTitlesFile(const TempTitlesFile&) = delete;
  TempTitlesFile& operator=(const TempTitlesFile&) = delete;
  Text gbkPath() const { return Narrow(path_.wstring()); }

 private:
  std::filesystem::path path_;
};

// 100,000 titles of about 60 bytes of GBK each, as a seller's file holds them.
std::string TitlesFileBytes(std::vector<std::wstring>& wideTitles) {
  const std::string word = "\xBA\xAB\xB0\xE6\xBF\xED\xCB\xC9\xC3\xAB\xD2\xC2\xC5\xAE";  // 韩版宽松毛衣女
  std::string bytes;
  for (int i = 0; i < kTitles; ++i) {
    const std::string title = word + word + word + " " + std::to_string(i) + " " + word;
    bytes += title + "\r\n";
    wideTitles.push_back(Wide(title));
  }
  return bytes;
}

// The reference: a top-level window holding nothing but an owner-data report list
// whose rows come from a vector. It owns the window.
struct ReferenceList {
  ReferenceList() = default;
  ~ReferenceList() {
    if (frame != nullptr) ::DestroyWindow(frame);
  }
  ReferenceList(const ReferenceList&) = delete;
  ReferenceList& operator=(const ReferenceList&) = delete;

  std::vector<std::wstring> numbers;
  const std::vector<std::wstring>* titles = nullptr;
  HWND frame = nullptr;
  HWND list = nullptr;

  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ReferenceList*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NOTIFY && self != nullptr) {
      auto& info = *reinterpret_cast<NMLVDISPINFOW*>(lParam);
      if (info.hdr.code == LVN_GETDISPINFOW && (info.item.mask & LVIF_TEXT) != 0) {
        const int row = info.item.iItem;
        const std::wstring* cell = info.item.iSubItem == 0   ? &self->numbers[static_cast<size_t>(row)]
                                   : info.item.iSubItem == 1 ? &(*self->titles)[static_cast<size_t>(row)]
                                                             : nullptr;
        win::CopyToField(cell != nullptr ? *cell : std::wstring(), info.item.pszText,
                         static_cast<size_t>(info.item.cchTextMax));
      }
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
};

// The list's place, styles and columns, as the main window has them.
void MatchTheProductList(HWND reference, HWND product) {
  const auto extended = ::SendMessageW(product, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  ::SendMessageW(reference, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended);
  ::SendMessageW(reference, WM_SETFONT, ::SendMessageW(product, WM_GETFONT, 0, 0), FALSE);
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = static_cast<int>(::SendMessageW(product, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    ::SendMessageW(reference, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);

  std::vector<std::wstring> wideTitles;
  const TempTitlesFile titles("vorlane-bench-titles", TitlesFileBytes(wideTitles));
  const TempTitlesFile oneTitle("vorlane-bench-one-title", "x\r\n");

  shell::MainWindowOptions options;
  options.notify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };  // no tray icon
  shell::MainWindow window(options);
  if (!window.Create(instance) || !PumpUntil([&] { return window.panelUnlocked(); })) {
    std::fprintf(stderr, "no main window (is there a display?)\n");
    return 1;
  }
  HWND productList = window.control(shell::ControlId::超级列表框1);
  HWND importButton = window.control(shell::ControlId::按钮_导入宝贝全称);
  SetMessageBoxSink([](const MessageBoxCall& call) {
    std::fprintf(stderr, "message box: %s\n", GbkToUtf8(call.message).c_str());
    return 1;  // IDOK
  });

  WNDCLASSW frameClass{};
  frameClass.lpfnWndProc = ReferenceList::FrameProc;
  frameClass.hInstance = instance;
  frameClass.lpszClassName = kReferenceClass;
  frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  ::RegisterClassW(&frameClass);
  ReferenceList reference;
  reference.titles = &wideTitles;
  for (int i = 1; i <= kTitles; ++i) reference.numbers.push_back(std::to_wstring(i));
  RECT place;
  ::GetWindowRect(productList, &place);
  reference.frame = ::CreateWindowExW(0, kReferenceClass, L"reference", WS_OVERLAPPEDWINDOW, 0, 0, 700, 400,
                                      nullptr, nullptr, instance, nullptr);
  ::SetWindowLongPtrW(reference.frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reference));
  reference.list = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL, 4, 4,
      place.right - place.left, place.bottom - place.top, reference.frame, nullptr, instance, nullptr);
  MatchTheProductList(reference.list, productList);

  PaintWatch productWatch(productList);
  PaintWatch referenceWatch(reference.list);
  std::vector<double> importMs;
  std::vector<double> modelMs;  // the file read and made into rows, without the window
  std::vector<double> referenceMs;
  double residentPerRow = 0;  // what the first import's rows added, in bytes a row
  for (int run = 0; run < runs; ++run) {
    // The product: from one row at the top to 100,000 rows, the last in sight.
    ::ShowWindow(reference.frame, SW_HIDE);
    ::SetForegroundWindow(window.hwnd());
    window.view().SetFileChooser([&] { return std::optional<Text>(oneTitle.gbkPath()); });
    productWatch.Expect(0);
    ::SendMessageW(importButton, BM_CLICK, 0, 0);
    if (!productWatch.Wait()) return 1;
    const double oneRow = ResidentBytes();
    Clock::time_point ok;
    window.view().SetFileChooser([&] {
      ok = Clock::now();  // the dialog's OK
      return std::optional<Text>(titles.gbkPath());
    });
    productWatch.Expect(kTitles - 1);
    ::SendMessageW(importButton, BM_CLICK, 0, 0);
    const auto productPainted = productWatch.Wait();
    if (!productPainted || window.products().count() != kTitles) {
      std::fprintf(stderr, "the import was not painted\n");
      return 1;
    }
    importMs.push_back(Milliseconds(*productPainted - ok));
    // The first import grows the process; later ones reuse what the one before freed.
    if (run == 0) residentPerRow = (ResidentBytes() - oneRow) / kTitles;

    // What of that is reading the file and making the rows.
    {
      const Clock::time_point start = Clock::now();
      check::ProductList list;
      list.Replace(check::ReadTitlesFile(titles.gbkPath()).lines);
      modelMs.push_back(Milliseconds(Clock::now() - start));
    }

    // The reference: the same change, with nothing but the list view doing it.
    ::ShowWindow(reference.frame, SW_SHOW);
    ::SetForegroundWindow(reference.frame);
    referenceWatch.Expect(0);
    ::SendMessageW(reference.list, LVM_SETITEMCOUNT, 1, LVSICF_NOSCROLL);
    ::InvalidateRect(reference.list, nullptr, TRUE);
    if (!referenceWatch.Wait()) return 1;
    referenceWatch.Expect(kTitles - 1);
    const Clock::time_point given = Clock::now();
    ::SendMessageW(reference.list, LVM_SETITEMCOUNT, kTitles, LVSICF_NOSCROLL);
    ::InvalidateRect(reference.list, nullptr, TRUE);
    ::SendMessageW(reference.list, LVM_ENSUREVISIBLE, kTitles - 1, FALSE);
    const auto referencePainted = referenceWatch.Wait();
    if (!referencePainted) {
      std::fprintf(stderr, "the reference list was not painted\n");
      return 1;
    }
    referenceMs.push_back(Milliseconds(*referencePainted - given));
  }

  auto print = [](const char* what, const std::vector<double>& values) {
    std::printf("%-52s %8.1f ms   runs:", what, Median(values));
    for (double v : values) std::printf(" %.1f", v);
    std::printf("\n");
  };
  std::printf("%d titles, %d runs each, medians\n", kTitles, runs);
  print("import: dialog OK to last row painted", importMs);
  print("  the same file read into a list without the window", modelMs);
  print("reference: bare owner-data list given the same rows", referenceMs);
  std::printf("ratio import / reference: %.2f   (target: import under 200 ms)\n",
              Median(importMs) / Median(referenceMs));
  std::printf("resident memory the first import added: %.0f bytes a row   (target: under 200)\n",
              residentPerRow);
  return 0;
}
