// Owners for libcurl handles, and the process-wide state every visit shares.
#pragma once

#include <curl/curl.h>

#include <memory>

namespace vorlane::web {

struct CurlEasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlMultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlSlistCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlUrlCleanup {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextCleanup {
  void operator()(char* text) const { curl_free(text); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistCleanup>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlCleanup>;
using CurlText = std::unique_ptr<char, CurlTextCleanup>;

// curl_global_init, once per process, from whichever thread comes first.
void EnsureCurlReady();

// The cookie store (and DNS cache) that every visit of the process shares, with
// locks, like WinINet's store. Never released: unjoined worker threads may still be
// visiting when the process ends.
CURLSH* SharedCurlStore();

// Gives the session the system's trust store as read once for the process
// (curl_trust_store.cpp) instead of having it read for every connection. False,
// with nothing changed, when the store could not be read.
bool UseSharedTrustStore(CURL* easy);

}  // namespace vorlane::web
