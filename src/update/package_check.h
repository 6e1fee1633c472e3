// Whether a downloaded file is the package the update info announced: the part of
// the check that is the same on every platform, over Sha256 (sha256.h).
#pragma once

#include <optional>

#include "config/update_values.h"
#include "text/text.h"

namespace vorlane::update {

// The SHA-256 of the file at `path` (GBK); nothing when it cannot be read or hashed.
std::optional<config::Sha256Digest> FileSha256(const Text& path);

// Whether the file at `path` has the announced digest; true when none was announced.
// A file that cannot be read or hashed does not have it.
bool HasAnnouncedDigest(const Text& path, const config::AnnouncedPackage& package);

}  // namespace vorlane::update
