// Why a visit through the HTTP service brought back no usable page, as far as the
// service can tell. The checks turn each into a sentence for the user.
#pragma once

#include <cstdint>

namespace vorlane::web {

enum class ServiceFailure : std::uint8_t {
  kNone,
  kTransfer,              // no connection, a reset, a time-out, a body cut short
  kCertificateUntrusted,  // the server's certificate comes from no authority the system trusts
  kCertificateExpired,    // ... is out of its validity dates
  kCertificateWrongName,  // ... names another host than the address
  kUndecodable,           // the body is in a content coding the service cannot decode, or a broken one
  kTooLarge,              // the body, once decoded, is over the page cap
};

inline bool IsCertificateFailure(ServiceFailure failure) {
  return failure == ServiceFailure::kCertificateUntrusted || failure == ServiceFailure::kCertificateExpired ||
         failure == ServiceFailure::kCertificateWrongName;
}

}  // namespace vorlane::web
