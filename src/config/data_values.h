// The [data] section: where the program keeps what it saves between runs (the
// seller's list, the history), and whether it saves each at all. Read the same way
// by every front end.
#pragma once

#include <string>

#include "config/app_config.h"
#include "text/text.h"

namespace vorlane::config {

struct DataValues {
  Text folder;  // GBK; empty: there is no usable folder, and nothing is saved
  bool keepList = true;
  bool keepHistory = true;
};

// The file beside the program that keeps its data in the program's own folder.
inline constexpr char kPortableMarker[] = "portable.txt";
// The folder's name under the user's roaming profile.
inline constexpr char kDataFolderName[] = "Vorlane";

// The folder, first that applies: [data] folder when it is set to more than blanks
// (a relative one counts from `programFolder`); `programFolder` itself when the
// portable marker (a regular file) sits in it; else the user's roaming profile
// folder + "Vorlane". [data] keep_list and keep_history: "0" off, "1" on, anything
// else on. The folder is not made here.
DataValues ReadDataValues(const AppConfig& config, const Text& programFolder);

// `name` inside the GBK folder `folder`, joined by the system's separator unless
// the folder ends in one already; `name` alone when `folder` is empty.
Text JoinGbkPath(const Text& folder, std::string_view name);

}  // namespace vorlane::config
