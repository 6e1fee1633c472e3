// Feeds arbitrary bytes as the server's answer to the downloader, in pieces of the
// sizes the input's first bytes pick, to a fresh save path and, every other run, to
// a resumed partial file. Whatever arrives: a defined result, and a file at the save
// path only when the result says the download is complete, of the size announced;
// a partial file left behind only with the validator that lets it be resumed.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz_check.h"
#include "support/temp_folder.h"
#include "update/download_file.h"
#include "update/download_response.h"

namespace {

namespace fs = std::filesystem;
using namespace vorlane::update;

// The answer cut into pieces: each piece's size is the next byte of `sizes` plus 1.
class ScriptedSource final : public ResponseSource {
 public:
  ScriptedSource(std::string_view answer, std::string_view sizes) : answer_(answer), sizes_(sizes) {}
  bool Receive(std::string& block) override {
    block.clear();
    if (closed_ || answer_.empty()) return false;
    size_t n =
        sizes_.empty() ? answer_.size() : static_cast<unsigned char>(sizes_[next_++ % sizes_.size()]) + 1u;
    n = std::min(n, answer_.size());
    block.assign(answer_.substr(0, n));
    answer_.remove_prefix(n);
    return true;
  }
  void Close() override { closed_ = true; }

 private:
  std::string_view answer_;
  std::string_view sizes_;
  size_t next_ = 0;
  bool closed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool resume = (data[0] & 1) != 0;
  const size_t sizeBytes = std::min<size_t>(data[1] % 8, size - 2);
  const std::string_view sizes(reinterpret_cast<const char*>(data) + 2, sizeBytes);
  const std::string_view answer(reinterpret_cast<const char*>(data) + 2 + sizeBytes, size - 2 - sizeBytes);

  static vorlane::test::TempFolder folder("vorlane-download-fuzz");
  const fs::path saved = folder / "m_update.zip";
  const fs::path partial = folder / "m_update.zip.tmp";
  const fs::path validator = folder / "m_update.zip.tmp.validator";
  std::error_code ec;
  fs::remove(saved, ec);
  fs::remove(partial, ec);
  fs::remove(validator, ec);
  ResumePoint from;
  if (resume) {
    std::ofstream(partial, std::ios::binary) << "0123456789";
    std::ofstream(validator, std::ios::binary) << "\"v1\"";
    from = {10, "\"v1\""};
  }

  ScriptedSource source(answer, sizes);
  ByteCounter total{0};
  ByteCounter received{0};
  const std::int32_t result = ReceiveDownload(source, saved.string(), from, {}, total, received).result;
  FUZZ_CHECK(result == kDownloadOk || result == kDownloadIncomplete || result == kDownloadBadStatus);
  if (result == kDownloadOk) {
    FUZZ_CHECK(fs::is_regular_file(saved, ec));
    FUZZ_CHECK(fs::file_size(saved, ec) == static_cast<std::uintmax_t>(total.load()));
    FUZZ_CHECK(received.load() == total.load());
    FUZZ_CHECK(!fs::exists(partial, ec));
  } else {
    FUZZ_CHECK(!fs::exists(saved, ec));
  }
  if (result == kDownloadIncomplete) FUZZ_CHECK(!fs::exists(partial, ec) || fs::exists(validator, ec));
  return 0;
}
