// SHA-256 by the platform's own implementation: BCrypt on Windows
// (sha256_bcrypt.cpp), OpenSSL's EVP elsewhere (sha256_openssl.cpp). What is hashed,
// and how a downloaded file is checked, is written once (package_check.*).
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "config/update_values.h"

namespace vorlane::update {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // Adds bytes to what is hashed; false once anything has failed.
  bool Add(std::string_view bytes);
  // The digest of everything added; nothing when the platform failed on the way.
  // Ends the hash: later calls give nothing.
  std::optional<config::Sha256Digest> Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;  // null when the platform gave no hash
};

}  // namespace vorlane::update
