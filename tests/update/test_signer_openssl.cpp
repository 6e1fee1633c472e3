#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <array>
#include <memory>

#include "test_signer.h"
#include "test_signer_key.h"
#include "text/hex_bytes.h"

namespace vorlane::test {
namespace {

struct Free {
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
  void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); }
  void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
  void operator()(ECDSA_SIG* p) const { ECDSA_SIG_free(p); }
  void operator()(BIGNUM* p) const { BN_free(p); }
  void operator()(OSSL_PARAM_BLD* p) const { OSSL_PARAM_BLD_free(p); }
  void operator()(OSSL_PARAM* p) const { OSSL_PARAM_free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

Owned<EVP_PKEY> PrivateKey() {
  std::array<std::uint8_t, 32> scalar{};
  std::array<std::uint8_t, 65> point{};
  if (!HexToBytes(kTestPrivateScalar, scalar) || !HexToBytes(kTestPublicKey, point)) return nullptr;
  Owned<BIGNUM> d(BN_bin2bn(scalar.data(), static_cast<int>(scalar.size()), nullptr));
  Owned<OSSL_PARAM_BLD> build(OSSL_PARAM_BLD_new());
  if (!d || !build ||
      OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0) != 1 ||
      OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_PRIV_KEY, d.get()) != 1 ||
      OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size()) != 1)
    return nullptr;
  Owned<OSSL_PARAM> params(OSSL_PARAM_BLD_to_param(build.get()));
  Owned<EVP_PKEY_CTX> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_KEYPAIR, params.get()) != 1)
    return nullptr;
  return Owned<EVP_PKEY>(key);
}

std::string Hex32(const BIGNUM* n) {
  std::array<unsigned char, 32> bytes{};
  if (BN_bn2binpad(n, bytes.data(), static_cast<int>(bytes.size())) != 32) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

}  // namespace

std::string SignWithTestKey(std::string_view message) {
  const Owned<EVP_PKEY> key = PrivateKey();
  Owned<EVP_MD_CTX> context(EVP_MD_CTX_new());
  if (!key || !context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
    return {};
  size_t length = 0;
  if (EVP_DigestSign(context.get(), nullptr, &length, reinterpret_cast<const unsigned char*>(message.data()),
                     message.size()) != 1)
    return {};
  std::string der(length, '\0');
  if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(der.data()), &length,
                     reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1)
    return {};
  const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
  Owned<ECDSA_SIG> pair(d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(length)));
  if (!pair) return {};
  const std::string r = Hex32(ECDSA_SIG_get0_r(pair.get()));
  const std::string s = Hex32(ECDSA_SIG_get0_s(pair.get()));
  if (r.empty() || s.empty()) return {};
  return r + s + "\n";
}

}  // namespace vorlane::test
