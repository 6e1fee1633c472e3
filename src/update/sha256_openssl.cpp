#include <openssl/evp.h>

#include "update/sha256.h"

namespace vorlane::update {
namespace {

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

struct Sha256::State {
  std::unique_ptr<EVP_MD_CTX, ContextFree> context;
  bool failed = false;
};

Sha256::Sha256() {
  auto state = std::make_unique<State>();
  state->context.reset(EVP_MD_CTX_new());
  if (!state->context || EVP_DigestInit_ex(state->context.get(), EVP_sha256(), nullptr) != 1) return;
  state_ = std::move(state);
}

Sha256::~Sha256() = default;

bool Sha256::Add(std::string_view bytes) {
  if (!state_ || state_->failed) return false;
  if (!bytes.empty() && EVP_DigestUpdate(state_->context.get(), bytes.data(), bytes.size()) != 1)
    state_->failed = true;
  return !state_->failed;
}

std::optional<config::Sha256Digest> Sha256::Finish() {
  if (!state_ || state_->failed) return std::nullopt;
  config::Sha256Digest digest{};
  unsigned int length = 0;
  const bool done = EVP_DigestFinal_ex(state_->context.get(), digest.data(), &length) == 1;
  state_->failed = true;  // once only
  if (!done || length != digest.size()) return std::nullopt;
  return digest;
}

}  // namespace vorlane::update
