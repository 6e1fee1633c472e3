// Feeds arbitrary bytes as an update package to the unpacking, into a folder of its
// own beside which another folder holds a file standing in for everything outside.
// Whatever the archive holds: nothing is written outside the folder, the file there
// is untouched, and no more bytes are written than the caps allow.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "config/unzip_limits.h"
#include "fuzz_check.h"
#include "support/temp_folder.h"
#include "update/update_unzip.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kEntryCap = 1 << 20;
constexpr std::uint64_t kTotalCap = 4 << 20;

std::uintmax_t BytesBelow(const fs::path& folder) {
  std::uintmax_t bytes = 0;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
    if (entry.is_regular_file(ec)) bytes += entry.file_size(ec);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vorlane::test::TempFolder root("vorlane-unzip-fuzz");
  const fs::path archive = root / "m_update.zip";
  const fs::path into = root / "into";
  const fs::path outside = root / "outside";
  std::error_code ec;
  fs::remove_all(into, ec);
  fs::remove_all(outside, ec);
  fs::create_directories(into);
  fs::create_directories(outside);
  std::ofstream(outside / "keep.txt", std::ios::binary) << "keep";
  std::ofstream(archive, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  const vorlane::update::UnzipReport report =
      vorlane::update::ExtractArchive(archive.string(), into.string(), {kEntryCap, kTotalCap});
  FUZZ_CHECK(report.bytesWritten <= kTotalCap);
  FUZZ_CHECK(BytesBelow(into) <= kTotalCap);
  // Only the archive, the two folders and the kept file stand in the root.
  size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(root.path(), ec)) {
    ++entries;
    (void)entry;
  }
  FUZZ_CHECK(entries == 3);
  std::ifstream kept(outside / "keep.txt", std::ios::binary);
  FUZZ_CHECK(std::string(std::istreambuf_iterator<char>(kept), {}) == "keep");
  size_t outsideEntries = 0;
  for (const auto& entry : fs::recursive_directory_iterator(outside, ec)) {
    ++outsideEntries;
    (void)entry;
  }
  FUZZ_CHECK(outsideEntries == 1);
  return 0;
}
