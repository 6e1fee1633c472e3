// A local update site for the tests, over LocalServer: the update info at
// /update.ini, its signature at /update.ini.sig and the package at
// /zujian/m_update.zip, the package served as a
// stock web server serves a static file. Each version of the package has its own
// ETag and Last-Modified; "Range: bytes=N-" gets 206 with the rest (416 past the
// end), unless an If-Range names neither of the current validators, which gets the
// whole file (200). The test may replace the package, cut an answer part-way, and
// read what was asked and answered.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "local_server.h"

namespace vorlane::test {

class UpdateSite {
 public:
  UpdateSite();
  UpdateSite(const UpdateSite&) = delete;
  UpdateSite& operator=(const UpdateSite&) = delete;

  // The update info's text, served as it is.
  void SetInfo(std::string text);
  // The signature's text; while there is none, its address answers 404.
  void SetSignature(std::string text);
  // A new version of the package: new bytes, a new ETag and a later Last-Modified.
  void SetPackage(std::string bytes);
  // The next answer for the package announces its whole length but stops after
  // `bodyBytes` bytes of body and closes.
  void CutNextPackageAnswer(std::size_t bodyBytes);

  // "http://127.0.0.1:<port>/update.ini" and "http://127.0.0.1:<port>/".
  std::string InfoUrl() const;
  std::string BaseUrl() const;
  // The current package's validators.
  std::string etag() const;
  std::string lastModified() const;

  struct PackageAnswer {
    RecordedRequest request;
    int status;  // 200, 206 or 416
  };
  std::vector<PackageAnswer> packageAnswers() const;
  int infoRequests() const;

 private:
  Reply Answer(const RecordedRequest& request);
  Reply AnswerPackage(const RecordedRequest& request);

  mutable std::mutex mutex_;
  std::string info_;
  std::string signature_;
  std::string package_;
  int version_ = 0;
  std::optional<std::size_t> cut_;
  std::vector<PackageAnswer> answers_;
  int infoRequests_ = 0;
  LocalServer server_;  // last: it stops first, while what it reads is still here
};

}  // namespace vorlane::test
