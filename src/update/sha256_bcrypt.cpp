#include <windows.h>

#include <bcrypt.h>

#include <limits>
#include <vector>

#include "update/sha256.h"
#include "win/scoped_win.h"

namespace vorlane::update {
namespace {

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

struct AlgorithmTraits {
  static bool Valid(BCRYPT_ALG_HANDLE h) { return h != nullptr; }
  static void Close(BCRYPT_ALG_HANDLE h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  static bool Valid(BCRYPT_HASH_HANDLE h) { return h != nullptr; }
  static void Close(BCRYPT_HASH_HANDLE h) { ::BCryptDestroyHash(h); }
};
using UniqueAlgorithm = win::UniqueWin<BCRYPT_ALG_HANDLE, AlgorithmTraits>;
using UniqueHash = win::UniqueWin<BCRYPT_HASH_HANDLE, HashTraits>;

}  // namespace

struct Sha256::State {
  // In this order: the hash goes before its object's memory and its provider.
  UniqueAlgorithm algorithm;
  std::vector<UCHAR> object;
  UniqueHash hash;
  bool failed = false;
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return;
  state->algorithm.reset(algorithm);
  // The hash object's memory is ours to give (Windows before 7 cannot allocate it).
  DWORD objectSize = 0;
  ULONG written = 0;
  if (!Succeeded(::BCryptGetProperty(algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                                     sizeof objectSize, &written, 0)))
    return;
  state->object.resize(objectSize);
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!Succeeded(::BCryptCreateHash(algorithm, &hash, state->object.data(), objectSize, nullptr, 0, 0)))
    return;
  state->hash.reset(hash);
  state_ = std::move(state);
}

Sha256::~Sha256() = default;

bool Sha256::Add(std::string_view bytes) {
  if (!state_ || state_->failed) return false;
  // BCryptHashData takes at most a ULONG's worth at a time.
  constexpr size_t kMostAtOnce = std::numeric_limits<ULONG>::max();
  while (!bytes.empty() && !state_->failed) {
    const size_t n = bytes.size() < kMostAtOnce ? bytes.size() : kMostAtOnce;
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!Succeeded(::BCryptHashData(state_->hash.get(), data, static_cast<ULONG>(n), 0)))
      state_->failed = true;
    bytes.remove_prefix(n);
  }
  return !state_->failed;
}

std::optional<config::Sha256Digest> Sha256::Finish() {
  if (!state_ || state_->failed) return std::nullopt;
  config::Sha256Digest digest{};
  const bool done =
      Succeeded(::BCryptFinishHash(state_->hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
  state_->failed = true;  // once only
  if (!done) return std::nullopt;
  return digest;
}

}  // namespace vorlane::update
