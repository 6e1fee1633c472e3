// Bytes written as hexadecimal digits, as keys, signatures and digests travel in
// configuration and in the update info.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vorlane {

// Reads exactly out.size() bytes from 2 * out.size() hex digits (either case);
// false, with `out` in no particular state, for any other text.
bool HexToBytes(std::string_view hex, std::span<std::uint8_t> out);

}  // namespace vorlane
