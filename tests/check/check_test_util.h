// Shared helpers of the check tests: GBK text from readable UTF-8, canned result
// pages and a fetcher that answers from a table.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "check/search_query.h"
#include "support/gbk_literal.h"

namespace vorlane::check::test {

using vorlane::test::Gbk;
using vorlane::test::Utf8;

// A result page as the site renders one, in GBK.
inline Text FoundPage(std::string_view countUtf8) {
  return Gbk(std::string("<html><div class=\"title fl\">找到") + std::string(countUtf8) +
             "个“宝贝”</div></html>");
}
inline Text NotFoundPage() {
  return Gbk("<html><p>没有找到你要搜索的宝贝</p></html>");
}

// Answers each URL from a table; unknown URLs are failed visits. Counts its calls.
class TableFetcher {
 public:
  void Set(const Text& url, FetchedPage page) {
    std::lock_guard lock(mutex_);
    pages_[url] = std::move(page);
  }
  PageFetcher AsFetcher() {
    return [this](const Text& url) {
      std::lock_guard lock(mutex_);
      ++calls_[url];
      auto it = pages_.find(url);
      return it == pages_.end() ? FetchedPage{{}, true} : it->second;
    };
  }
  int Calls(const Text& url) {
    std::lock_guard lock(mutex_);
    return calls_[url];
  }
  int TotalCalls() {
    std::lock_guard lock(mutex_);
    int total = 0;
    for (auto& [url, n] : calls_) total += n;
    return total;
  }

 private:
  std::mutex mutex_;
  std::map<Text, FetchedPage> pages_;
  std::map<Text, int> calls_;
};

}  // namespace vorlane::check::test
