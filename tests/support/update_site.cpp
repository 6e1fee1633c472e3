#include "update_site.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vorlane::test {
namespace {

constexpr char kInfoPath[] = "/update.ini";
constexpr char kSignaturePath[] = "/update.ini.sig";
constexpr char kPackagePath[] = "/zujian/m_update.zip";

// "bytes=N-": N; nothing for any other range.
std::optional<std::size_t> RangeStart(const std::string& range) {
  constexpr std::string_view kUnit = "bytes=";
  if (range.rfind(kUnit, 0) != 0 || range.empty() || range.back() != '-') return std::nullopt;
  const std::string digits = range.substr(kUnit.size(), range.size() - kUnit.size() - 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return static_cast<std::size_t>(std::strtoull(digits.c_str(), nullptr, 10));
}

}  // namespace

UpdateSite::UpdateSite() : server_([this](const RecordedRequest& request) { return Answer(request); }) {}

void UpdateSite::SetInfo(std::string text) {
  std::lock_guard lock(mutex_);
  info_ = std::move(text);
}

void UpdateSite::SetSignature(std::string text) {
  std::lock_guard lock(mutex_);
  signature_ = std::move(text);
}

void UpdateSite::SetPackage(std::string bytes) {
  std::lock_guard lock(mutex_);
  package_ = std::move(bytes);
  ++version_;
}

void UpdateSite::CutNextPackageAnswer(std::size_t bodyBytes) {
  std::lock_guard lock(mutex_);
  cut_ = bodyBytes;
}

std::string UpdateSite::InfoUrl() const {
  return server_.base_url() + kInfoPath;
}

std::string UpdateSite::BaseUrl() const {
  return server_.base_url() + "/";
}

std::string UpdateSite::etag() const {
  std::lock_guard lock(mutex_);
  return "\"pkg-v" + std::to_string(version_) + "\"";
}

std::string UpdateSite::lastModified() const {
  std::lock_guard lock(mutex_);
  char date[40];
  std::snprintf(date, sizeof date, "Sat, 09 Nov 2013 12:%02d:00 GMT", version_ % 60);
  return date;
}

std::vector<UpdateSite::PackageAnswer> UpdateSite::packageAnswers() const {
  std::lock_guard lock(mutex_);
  return answers_;
}

int UpdateSite::infoRequests() const {
  std::lock_guard lock(mutex_);
  return infoRequests_;
}

Reply UpdateSite::Answer(const RecordedRequest& request) {
  if (request.method == "GET" && request.target == kInfoPath) {
    std::lock_guard lock(mutex_);
    ++infoRequests_;
    return Reply::Http(200, info_, "Content-Type: text/plain\r\n");
  }
  if (request.method == "GET" && request.target == kSignaturePath) {
    std::lock_guard lock(mutex_);
    if (!signature_.empty()) return Reply::Http(200, signature_, "Content-Type: text/plain\r\n");
  }
  if (request.method == "GET" && request.target == kPackagePath) return AnswerPackage(request);
  return Reply::Http(404, "not here");
}

Reply UpdateSite::AnswerPackage(const RecordedRequest& request) {
  const std::string tag = etag();
  const std::string date = lastModified();
  std::lock_guard lock(mutex_);
  const std::string validators = "ETag: " + tag + "\r\nLast-Modified: " + date + "\r\n";
  std::optional<std::size_t> from = RangeStart(request.Header("Range"));
  // A partial file begun by another version of the package gets the whole file.
  const std::string ifRange = request.Header("If-Range");
  if (!ifRange.empty() && ifRange != tag && ifRange != date) from.reset();

  if (from && *from >= package_.size()) {
    answers_.push_back({request, 416});
    return Reply::Http(416, "", "Content-Range: bytes */" + std::to_string(package_.size()) + "\r\n",
                       "Range Not Satisfiable");
  }
  const std::size_t start = from.value_or(0);
  std::string head = from ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
  head += "Content-Type: application/zip\r\n";
  head += validators;
  head += "Accept-Ranges: bytes\r\n";
  head += "Content-Length: " + std::to_string(package_.size() - start) + "\r\n";
  if (from) {
    head += "Content-Range: bytes " + std::to_string(start) + "-" + std::to_string(package_.size() - 1) +
            "/" + std::to_string(package_.size()) + "\r\n";
  }
  head += "\r\n";
  answers_.push_back({request, from ? 206 : 200});

  std::string body = package_.substr(start);
  if (cut_) {
    body.resize(std::min(body.size(), *cut_));
    cut_.reset();
  }
  return Reply::Raw(head + body);
}

}  // namespace vorlane::test
