#include "update/package_check.h"

#include <cstdio>
#include <string>

#include "text/gbk_file.h"
#include "update/sha256.h"

namespace vorlane::update {
namespace {

constexpr size_t kReadBlock = 64 * 1024;

}  // namespace

std::optional<config::Sha256Digest> FileSha256(const Text& path) {
  UniqueFile file = OpenGbkFile(path, "rb");
  if (!file) return std::nullopt;
  Sha256 hash;
  std::string block(kReadBlock, '\0');
  for (;;) {
    const size_t n = std::fread(block.data(), 1, block.size(), file.get());
    if (n > 0 && !hash.Add(std::string_view(block.data(), n))) return std::nullopt;
    if (n < block.size()) break;
  }
  if (std::ferror(file.get())) return std::nullopt;
  return hash.Finish();
}

bool HasAnnouncedDigest(const Text& path, const config::AnnouncedPackage& package) {
  return !package.sha256 || FileSha256(path) == package.sha256;
}

}  // namespace vorlane::update
