#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>
#include <memory>

#include "update/ecdsa_p256.h"

namespace vorlane::update {
namespace {

struct Free {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
  void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
  void operator()(BIGNUM* number) const { BN_free(number); }
  void operator()(unsigned char* bytes) const { OPENSSL_free(bytes); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

constexpr size_t kCoordinateBytes = 32;

Owned<EVP_PKEY> PublicKey(const EcPublicKey& key) {
  // The uncompressed point: 0x04, X, Y.
  unsigned char point[1 + 2 * kCoordinateBytes];
  point[0] = 0x04;
  std::copy(key.begin(), key.end(), point + 1);
  char group[] = "prime256v1";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group, 0),
      OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point),
      OSSL_PARAM_construct_end(),
  };
  const Owned<EVP_PKEY_CTX> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* made = nullptr;
  if (!context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &made, EVP_PKEY_PUBLIC_KEY, params) != 1)
    return nullptr;
  return Owned<EVP_PKEY>(made);
}

}  // namespace

bool VerifyP256(const EcPublicKey& key, const config::Sha256Digest& digest, const EcSignature& signature) {
  const Owned<EVP_PKEY> publicKey = PublicKey(key);
  if (!publicKey) return false;

  // OpenSSL takes the signature DER-encoded; r || s is the raw pair.
  Owned<ECDSA_SIG> pair(ECDSA_SIG_new());
  Owned<BIGNUM> r(BN_bin2bn(signature.data(), kCoordinateBytes, nullptr));
  Owned<BIGNUM> s(BN_bin2bn(signature.data() + kCoordinateBytes, kCoordinateBytes, nullptr));
  if (!pair || !r || !s || ECDSA_SIG_set0(pair.get(), r.get(), s.get()) != 1) return false;
  r.release();  // the pair owns them now
  s.release();
  unsigned char* der = nullptr;
  const int derLength = i2d_ECDSA_SIG(pair.get(), &der);
  const Owned<unsigned char> derOwner(der);
  if (derLength <= 0) return false;

  const Owned<EVP_PKEY_CTX> context(EVP_PKEY_CTX_new(publicKey.get(), nullptr));
  return context && EVP_PKEY_verify_init(context.get()) == 1 &&
         EVP_PKEY_CTX_set_signature_md(context.get(), EVP_sha256()) == 1 &&
         EVP_PKEY_verify(context.get(), der, static_cast<size_t>(derLength), digest.data(), digest.size()) ==
             1;
}

}  // namespace vorlane::update
