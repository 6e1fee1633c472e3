// Sets one environment variable for a test's life, and puts back what was there.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#ifdef _WIN32
#include <windows.h>
#endif

namespace vorlane::test {

class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~EnvironmentValue() { Set(old_); }
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    const std::wstring name(name_.begin(), name_.end());
    const std::wstring wide = value ? std::wstring(value->begin(), value->end()) : std::wstring();
    ::SetEnvironmentVariableW(name.c_str(), value ? wide.c_str() : nullptr);
    _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
    if (value)
      ::setenv(name_.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name_.c_str());
#endif
  }
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace vorlane::test
