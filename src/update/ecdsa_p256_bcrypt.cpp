#include <windows.h>

#include <bcrypt.h>

#include <cstring>

#include "update/ecdsa_p256.h"
#include "win/scoped_win.h"

namespace vorlane::update {
namespace {

struct AlgorithmTraits {
  static bool Valid(BCRYPT_ALG_HANDLE h) { return h != nullptr; }
  static void Close(BCRYPT_ALG_HANDLE h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct KeyTraits {
  static bool Valid(BCRYPT_KEY_HANDLE h) { return h != nullptr; }
  static void Close(BCRYPT_KEY_HANDLE h) { ::BCryptDestroyKey(h); }
};
using UniqueAlgorithm = win::UniqueWin<BCRYPT_ALG_HANDLE, AlgorithmTraits>;
using UniqueKey = win::UniqueWin<BCRYPT_KEY_HANDLE, KeyTraits>;

constexpr ULONG kCoordinateBytes = 32;

}  // namespace

bool VerifyP256(const EcPublicKey& key, const config::Sha256Digest& digest, const EcSignature& signature) {
  BCRYPT_ALG_HANDLE opened = nullptr;
  if (::BCryptOpenAlgorithmProvider(&opened, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0) return false;
  const UniqueAlgorithm algorithm(opened);

  // An ECCPUBLIC blob: its header, then X and Y.
  UCHAR blob[sizeof(BCRYPT_ECCKEY_BLOB) + 2 * kCoordinateBytes];
  const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinateBytes};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, key.data(), key.size());
  BCRYPT_KEY_HANDLE imported = nullptr;
  if (::BCryptImportKeyPair(algorithm.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported, blob, sizeof blob,
                            0) < 0)
    return false;
  const UniqueKey publicKey(imported);

  // BCrypt takes the signature as r || s, as it is kept here.
  auto* hash = const_cast<PUCHAR>(digest.data());
  auto* signed_ = const_cast<PUCHAR>(signature.data());
  return ::BCryptVerifySignature(publicKey.get(), nullptr, hash, static_cast<ULONG>(digest.size()), signed_,
                                 static_cast<ULONG>(signature.size()), 0) == 0;
}

}  // namespace vorlane::update
