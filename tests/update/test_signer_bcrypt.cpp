#include <windows.h>

#include <bcrypt.h>

#include <array>
#include <cstring>

#include "test_signer.h"
#include "test_signer_key.h"
#include "text/hex_bytes.h"
#include "update/sha256.h"

namespace vorlane::test {

std::string SignWithTestKey(std::string_view message) {
  // An ECCPRIVATE blob: its header, then X, Y and d.
  std::array<std::uint8_t, 65> point{};
  std::array<std::uint8_t, 32> scalar{};
  if (!HexToBytes(kTestPublicKey, point) || !HexToBytes(kTestPrivateScalar, scalar)) return {};
  UCHAR blob[sizeof(BCRYPT_ECCKEY_BLOB) + 96];
  const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, point.data() + 1, 64);
  std::memcpy(blob + sizeof header + 64, scalar.data(), 32);

  update::Sha256 hash;
  hash.Add(message);
  auto digest = hash.Finish();
  if (!digest) return {};

  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0) return {};
  BCRYPT_KEY_HANDLE key = nullptr;
  std::array<UCHAR, 64> signature{};
  ULONG length = 0;
  const bool signed_ =
      ::BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPRIVATE_BLOB, &key, blob, sizeof blob, 0) >= 0 &&
      ::BCryptSignHash(key, nullptr, digest->data(), static_cast<ULONG>(digest->size()), signature.data(),
                       static_cast<ULONG>(signature.size()), &length, 0) >= 0 &&
      length == signature.size();
  if (key != nullptr) ::BCryptDestroyKey(key);
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!signed_) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (UCHAR b : signature) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex + "\n";
}

}  // namespace vorlane::test
