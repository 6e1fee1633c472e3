#include "update/update_paths.h"

#include "text/gbk_scan.h"
#include "update/download_request.h"
#include "update/update_texts.h"

namespace vorlane::update {
namespace {

constexpr size_t kLongestWholePath = 46;
constexpr size_t kShortenedHead = 20;

// The longest head of `text` of at most `limit` bytes that ends between characters.
std::string_view CharacterHead(std::string_view text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + gbk::CharLength(text, end);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace

PackageParts SplitPackageAddress(std::string_view address) {
  const size_t lastSlash = address.rfind('/');
  return {Text(AuthorityPiece(address)),
          Text(lastSlash == std::string_view::npos ? address : address.substr(lastSlash + 1))};
}

Text JoinPath(std::string_view folder, std::string_view name) {
  Text path(folder);
  path += '\\';
  path += name;
  return path;
}

Text SaveToText(std::string_view savePath, std::string_view fileName) {
  Text text = texts::kSaveTo;
  if (savePath.size() <= kLongestWholePath) {
    text += savePath;
  } else {
    text += CharacterHead(savePath, kShortenedHead);
    text += texts::kShortenedPath;
    text += fileName;
  }
  return text;
}

Text SourceText(const PackageParts& parts) {
  return parts.fileName + texts::kFromOpen + parts.authority + texts::kFromClose;
}

}  // namespace vorlane::update
