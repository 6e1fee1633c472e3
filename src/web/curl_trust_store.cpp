// The system's trust store, read once per process for every libcurl session. Left
// to itself libcurl parses the whole certificate bundle (some 150 certificates)
// for each new connection, which is most of an HTTPS check's time. Each session
// now starts with an empty store of its own and is given the shared one before its
// handshake; verification of the peer and its name stays on, so a session that
// could not be given the store trusts nothing rather than everything.
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <mutex>

#include "web/curl_owners.h"

namespace vorlane::web {

namespace {

// The trust libcurl would have read itself: its built-in bundle file and folder.
X509_STORE* LoadSharedStore(CURL* easy) {
  X509_STORE* store = X509_STORE_new();
  if (!store) return nullptr;
  char* file = nullptr;
  char* folder = nullptr;
  curl_easy_getinfo(easy, CURLINFO_CAINFO, &file);
  curl_easy_getinfo(easy, CURLINFO_CAPATH, &folder);
  const bool fileLoaded = file && X509_STORE_load_file(store, file) == 1;
  const bool folderAdded = folder && X509_STORE_load_path(store, folder) == 1;
  if (!fileLoaded && !folderAdded) {
    X509_STORE_free(store);
    return nullptr;
  }
  return store;
}

// Never released: sessions on unjoined worker threads may still use it at exit.
X509_STORE* SharedStore(CURL* easy) {
  static std::once_flag once;
  static X509_STORE* store = nullptr;
  std::call_once(once, [easy] { store = LoadSharedStore(easy); });
  return store;
}

CURLcode GiveSharedStore(CURL*, void* context, void* store) {
  // The context takes a reference of its own.
  SSL_CTX_set1_cert_store(static_cast<SSL_CTX*>(context), static_cast<X509_STORE*>(store));
  return CURLE_OK;
}

}  // namespace

bool UseSharedTrustStore(CURL* easy) {
  X509_STORE* store = SharedStore(easy);
  if (!store) return false;  // libcurl reads the bundle itself, as before
  return curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &GiveSharedStore) == CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, store) == CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_CAINFO, static_cast<char*>(nullptr)) == CURLE_OK &&
         curl_easy_setopt(easy, CURLOPT_CAPATH, static_cast<char*>(nullptr)) == CURLE_OK;
}

}  // namespace vorlane::web
