// Strict readers of what the front end writes, for the tests to read it back: CSV
// as RFC 4180 has it (CR LF after every record), and a JSON array of flat objects.
// Anything else is an error, so that output that only looks right fails.
#pragma once

#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlane::cli::test {

using CsvRecords = std::vector<std::vector<std::string>>;

inline std::optional<CsvRecords> ParseCsv(std::string_view text) {
  CsvRecords records;
  size_t at = 0;
  while (at < text.size()) {
    std::vector<std::string> record;
    for (;;) {
      std::string field;
      if (at < text.size() && text[at] == '"') {
        ++at;
        for (;;) {
          if (at >= text.size()) return std::nullopt;
          if (text[at] == '"') {
            if (at + 1 < text.size() && text[at + 1] == '"') {
              field += '"';
              at += 2;
              continue;
            }
            ++at;
            break;
          }
          field += text[at++];
        }
      } else {
        while (at < text.size() && text[at] != ',' && text[at] != '\r' && text[at] != '\n') {
          if (text[at] == '"') return std::nullopt;
          field += text[at++];
        }
      }
      record.push_back(field);
      if (at < text.size() && text[at] == ',') {
        ++at;
        continue;
      }
      if (text.substr(at, 2) != "\r\n") return std::nullopt;
      at += 2;
      break;
    }
    records.push_back(record);
  }
  return records;
}

using JsonObject = std::map<std::string, std::string>;  // numbers kept as their text

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  std::optional<std::vector<JsonObject>> Array() {
    std::vector<JsonObject> objects;
    if (!Take('[')) return std::nullopt;
    if (Take(']')) return End(objects);
    do {
      std::optional<JsonObject> object = Object();
      if (!object) return std::nullopt;
      objects.push_back(*object);
    } while (Take(','));
    if (!Take(']')) return std::nullopt;
    return End(objects);
  }

 private:
  std::optional<std::vector<JsonObject>> End(std::vector<JsonObject>& objects) {
    Space();
    if (at_ != text_.size()) return std::nullopt;
    return objects;
  }
  void Space() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r')) ++at_;
  }
  bool Take(char c) {
    Space();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  std::optional<JsonObject> Object() {
    JsonObject object;
    if (!Take('{')) return std::nullopt;
    do {
      Space();
      std::optional<std::string> key = String();
      if (!key || !Take(':')) return std::nullopt;
      Space();
      std::optional<std::string> value = at_ < text_.size() && text_[at_] == '"' ? String() : Number();
      if (!value) return std::nullopt;
      object[*key] = *value;
    } while (Take(','));
    if (!Take('}')) return std::nullopt;
    return object;
  }
  std::optional<std::string> Number() {
    const size_t begin = at_;
    while (at_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.'))
      ++at_;
    if (at_ == begin) return std::nullopt;
    return std::string(text_.substr(begin, at_ - begin));
  }
  // A string's value as UTF-8.
  std::optional<std::string> String() {
    if (at_ >= text_.size() || text_[at_] != '"') return std::nullopt;
    ++at_;
    std::string value;
    while (at_ < text_.size() && text_[at_] != '"') {
      const unsigned char c = static_cast<unsigned char>(text_[at_]);
      if (c < 0x20) return std::nullopt;  // control characters must be escaped
      if (c != '\\') {
        value += text_[at_++];
        continue;
      }
      if (++at_ >= text_.size()) return std::nullopt;
      const char e = text_[at_++];
      static constexpr std::string_view kSimple = "\"\\/bfnrt", kMeans = "\"\\/\b\f\n\r\t";
      if (const size_t i = kSimple.find(e); i != std::string_view::npos) {
        value += kMeans[i];
        continue;
      }
      if (e != 'u' || at_ + 4 > text_.size()) return std::nullopt;
      std::uint32_t unit = 0;
      for (int k = 0; k < 4; ++k) {
        const char h = text_[at_++];
        unit <<= 4;
        if (h >= '0' && h <= '9') {
          unit |= static_cast<std::uint32_t>(h - '0');
        } else if (h >= 'a' && h <= 'f') {
          unit |= static_cast<std::uint32_t>(h - 'a' + 10);
        } else if (h >= 'A' && h <= 'F') {
          unit |= static_cast<std::uint32_t>(h - 'A' + 10);
        } else {
          return std::nullopt;
        }
      }
      if (unit >= 0xD800 && unit <= 0xDFFF) return std::nullopt;  // no pair is ever needed here
      if (unit < 0x80) {
        value += static_cast<char>(unit);
      } else if (unit < 0x800) {
        value += static_cast<char>(0xC0 | unit >> 6);
        value += static_cast<char>(0x80 | (unit & 0x3F));
      } else {
        value += static_cast<char>(0xE0 | unit >> 12);
        value += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        value += static_cast<char>(0x80 | (unit & 0x3F));
      }
    }
    if (at_ >= text_.size()) return std::nullopt;
    ++at_;
    return value;
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace vorlane::cli::test
