// The private half of the tests' key pair (keys/test-update-key.pem) in the raw
// form the signers take. A test key: it signs nothing but the tests' own info.
#pragma once

namespace vorlane::test {

inline constexpr char kTestPrivateScalar[] =
    "b306355ac19925fc444283cf24a16c39ad51a92f113afabc2d3318b755735fe1";

}  // namespace vorlane::test
