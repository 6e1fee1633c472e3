#include "update/signed_info.h"

#include <algorithm>

#include "config/version.h"
#include "text/gbk_text.h"
#include "text/hex_bytes.h"
#include "update/sha256.h"

namespace vorlane::update {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

}  // namespace

std::optional<EcPublicKey> ReadPublicKey(std::string_view text) {
  text = TrimBytes(text, kBlanks);
  // The uncompressed point's marker: a compressed or hybrid form is not taken.
  if (text.substr(0, 2) != "04") return std::nullopt;
  EcPublicKey key{};
  if (!HexToBytes(text.substr(2), key)) return std::nullopt;
  return key;
}

std::optional<EcSignature> ReadSignature(std::string_view text) {
  if (text.size() > kMaxSignatureBytes) return std::nullopt;
  EcSignature signature{};
  if (!HexToBytes(TrimBytes(text, kBlanks), signature)) return std::nullopt;
  return signature;
}

bool IsSignedBy(std::string_view message, std::string_view signatureText, std::string_view keyText) {
  const std::optional<EcPublicKey> key = ReadPublicKey(keyText);
  const std::optional<EcSignature> signature = ReadSignature(signatureText);
  if (!key || !signature) return false;
  Sha256 hash;
  hash.Add(message);
  const std::optional<config::Sha256Digest> digest = hash.Finish();
  return digest && VerifyP256(*key, *digest, *signature);
}

config::UpdateValues ReadOfferedUpdate(const config::AppConfig& local, std::string_view info,
                                       std::string_view signature) {
  if (!info.empty() && IsSignedBy(info, signature, local.Get("update", "public_key"))) {
    config::AppConfig signedConfig = local;
    // The local digest and size must not stand in for what the info left out.
    signedConfig.Set("update", "package_sha256", {});
    signedConfig.Set("update", "package_size", {});
    config::ApplyUpdateInfo(signedConfig, info);
    return config::ReadUpdateValues(signedConfig);
  }
  config::UpdateValues values = config::ReadUpdateValues(local);
  values.package = {};
  if (!info.empty()) {
    config::AppConfig claimed;
    config::ApplyUpdateInfo(claimed, info);
    values.latestVersion = std::max(values.latestVersion, config::LatestVersion(claimed));
  }
  return values;
}

}  // namespace vorlane::update
