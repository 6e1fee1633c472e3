// iconv backend of the code-page seam. iconv stops at the first byte it cannot
// convert; the loop here substitutes what Windows would and goes on.
#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "text/codepage_platform.h"

namespace vorlane::codepage {
namespace {

constexpr unsigned kUtf8 = 65001;
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr const char* kUnits = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

std::string IconvName(unsigned codePage) {
  switch (codePage) {
    case 0:  // no system ANSI code page here: the program's own GBK
    case 936:
      return "CP936";
    case 950:
      return "CP950";
    case kUtf8:
      return "UTF-8";
    default:
      return "CP" + std::to_string(codePage);
  }
}

// glibc loads a code page's module at an iconv_open and unloads it when the last
// descriptor using it closes: conversions on several threads at once would load
// and unload it again and again, racing inside the dynamic loader. One descriptor
// of each pair stays open for the process's life, so each module loads once.
void KeepModulesLoaded(const std::string& to, const std::string& from) {
  static std::mutex mutex;
  static auto* const kept = new std::map<std::pair<std::string, std::string>, iconv_t>;
  const std::lock_guard lock(mutex);
  auto [at, added] = kept->try_emplace({to, from}, reinterpret_cast<iconv_t>(-1));
  if (added) at->second = ::iconv_open(to.c_str(), from.c_str());
}

class IconvHandle {
 public:
  IconvHandle(const std::string& to, const std::string& from) {
    KeepModulesLoaded(to, from);
    cd_ = ::iconv_open(to.c_str(), from.c_str());
  }
  ~IconvHandle() {
    if (ok()) ::iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}
bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// Length of the UTF-8 prefix of `s` that could still begin a valid sequence (the
// "maximal subpart"), and whether it is complete. A lone bad byte counts as 1.
std::size_t Utf8Prefix(std::string_view s, bool& complete) {
  complete = false;
  const unsigned char b = At(s, 0);
  std::size_t need = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b < 0x80) {
    complete = true;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    if (b == 0xE0) low = 0xA0;   // overlong
    if (b == 0xED) high = 0x9F;  // surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    if (b == 0xF0) low = 0x90;   // overlong
    if (b == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return 1;
  }
  std::size_t i = 1;
  for (; i <= need && i < s.size(); ++i) {
    const unsigned char c = At(s, i);
    const bool ok = i == 1 ? c >= low && c <= high : IsContinuation(c);
    if (!ok) return i;
  }
  complete = i == need + 1;
  return i;
}

// Bytes of the character (or bad sequence) at the start of `s` in `codePage`.
std::size_t CharSpan(unsigned codePage, std::string_view s, bool& maybeValid) {
  if (codePage == kUtf8) return Utf8Prefix(s, maybeValid);
  // Double-byte code pages: a lead byte takes the byte after it along, as Windows
  // does even when the pair is invalid.
  const unsigned char b = At(s, 0);
  const bool lead = b >= 0x81 && b <= 0xFE;
  maybeValid = !lead || s.size() > 1;
  return lead && s.size() > 1 ? 2 : 1;
}

std::u16string ToUnits(const std::string& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  return units;
}

std::string_view AsBytes(std::u16string_view units) {
  return {reinterpret_cast<const char*>(units.data()), units.size() * 2};
}

// What stands in for the input that iconv could not convert.
struct Substitute {
  std::size_t skip;      // input bytes it replaces, at least 1
  std::string_view out;  // output bytes
};

// Runs `cd` over `in` into `out`. Where iconv stops, `recover(rest)` gives the
// substitute and the loop goes on after it.
//
// The input goes to iconv in windows: in a multi-step conversion (UTF-8 ->
// internal -> CP936) glibc runs the first step over the call's whole input before a
// later step fails, so one call over the whole text would make every character
// CP936 lacks cost a pass over the rest. The window shrinks after a failure and
// grows again while the text converts cleanly.
template <class Recover>
std::string Run(iconv_t cd, std::string_view in, std::size_t expectedSize, Recover&& recover) {
  constexpr std::size_t kSmallWindow = 64;
  constexpr std::size_t kLargeWindow = 64 * 1024;
  std::size_t window_size = kLargeWindow;
  std::string out(expectedSize + 16, '\0');
  char* src = const_cast<char*>(in.data());
  const char* const end = in.data() + in.size();
  std::size_t used = 0;
  while (src < end) {
    std::size_t total = static_cast<std::size_t>(end - src);
    std::size_t left = total < window_size ? total : window_size;
    char* dst = out.data() + used;
    std::size_t room = out.size() - used;
    const std::size_t result = ::iconv(cd, &src, &left, &dst, &room);
    used = static_cast<std::size_t>(dst - out.data());
    if (result != static_cast<std::size_t>(-1)) {
      window_size = window_size * 2 < kLargeWindow ? window_size * 2 : kLargeWindow;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else if (errno == EINVAL && src + left < end) {
      // A character cut by the window's end: the next window starts with it. It
      // cannot be longer than the window, so the loop always moves on.
    } else if (errno == EILSEQ || errno == EINVAL) {
      window_size = kSmallWindow;
      ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
      const Substitute sub = recover(std::string_view(src, static_cast<std::size_t>(end - src)));
      if (out.size() - used < sub.out.size()) out.resize(out.size() * 2 + sub.out.size());
      std::memcpy(out.data() + used, sub.out.data(), sub.out.size());
      used += sub.out.size();
      src += sub.skip;
    } else {
      break;
    }
  }
  out.resize(used);
  return out;
}

// One conversion between two code pages. The descriptors and substitutes that
// recovery needs are made once, when first needed, so junk input stays linear.
class Converter {
 public:
  Converter(unsigned from, unsigned to, std::optional<char> defaultChar)
      : from_(from), to_(to), defaultChar_(defaultChar.value_or('?')) {}

  // `from` to UTF-16 units. Only bad input can stop it.
  std::string Decode(std::string_view bytes) {
    IconvHandle cd(kUnits, IconvName(from_));
    if (!cd.ok()) return {};
    const char16_t replacement = Replacement();
    return Run(cd.get(), bytes, bytes.size() * 2, [&](std::string_view rest) {
      bool valid = false;
      return Substitute{CharSpan(from_, rest, valid), AsBytes(std::u16string_view(&replacement, 1))};
    });
  }

  // UTF-16 units to `to`: a lone surrogate or a character `to` lacks stops it.
  std::string Encode(std::string_view unitBytes) {
    IconvHandle cd(IconvName(to_), kUnits);
    if (!cd.ok()) return {};
    return Run(cd.get(), unitBytes, unitBytes.size(), [&](std::string_view rest) {
      char16_t unit = 0;
      if (rest.size() < 2) return Substitute{rest.size(), {}};
      std::memcpy(&unit, rest.data(), 2);
      std::size_t units = 1;
      if (unit >= 0xD800 && unit <= 0xDBFF && rest.size() >= 4) {
        char16_t next = 0;
        std::memcpy(&next, rest.data() + 2, 2);
        if (next >= 0xDC00 && next <= 0xDFFF) units = 2;
      }
      return Substitute{units * 2, Unmappable(units)};
    });
  }

  std::string Transcode(std::string_view bytes) {
    IconvHandle cd(IconvName(to_), IconvName(from_));
    if (!cd.ok()) return {};
    return Run(cd.get(), bytes, bytes.size() + bytes.size() / 2, [&](std::string_view rest) {
      // Either the input is bad here or the target lacks the character; Windows
      // would have had a replacement character or the character in UTF-16.
      bool maybeValid = false;
      const std::size_t span = CharSpan(from_, rest, maybeValid);
      if (!maybeValid || !Decodes(rest.substr(0, span))) return Substitute{span, ReplacementInTarget()};
      const bool pair = from_ == kUtf8 && span == 4;  // beyond the BMP: two UTF-16 units
      return Substitute{span, Unmappable(pair ? 2 : 1)};
    });
  }

 private:
  char16_t Replacement() const { return from_ == kUtf8 ? u'\xFFFD' : u'?'; }

  // Output for `units` UTF-16 units the target cannot hold.
  std::string_view Unmappable(std::size_t units) {
    if (to_ == kUtf8) return units == 2 ? "\xEF\xBF\xBD\xEF\xBF\xBD" : kUtf8Replacement;
    defaults_[0] = defaults_[1] = defaultChar_;
    return {defaults_, units};
  }

  // The decoder's replacement character written in the target code page.
  std::string_view ReplacementInTarget() {
    if (!replacementInTarget_) {
      const char16_t replacement = Replacement();
      replacementInTarget_ =
          Converter(to_, to_, defaultChar_).Encode(AsBytes(std::u16string_view(&replacement, 1)));
    }
    return *replacementInTarget_;
  }

  // Whether `bytes` (one character) is valid in `from`.
  bool Decodes(std::string_view bytes) {
    if (!decoder_) decoder_ = std::make_unique<IconvHandle>(kUnits, IconvName(from_));
    if (!decoder_->ok()) return false;
    char units[8];
    char* src = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    char* dst = units;
    std::size_t room = sizeof units;
    const bool ok =
        ::iconv(decoder_->get(), &src, &left, &dst, &room) != static_cast<std::size_t>(-1) && left == 0;
    ::iconv(decoder_->get(), nullptr, nullptr, nullptr, nullptr);
    return ok;
  }

  unsigned from_;
  unsigned to_;
  char defaultChar_;
  char defaults_[2] = {};
  std::optional<std::string> replacementInTarget_;
  std::unique_ptr<IconvHandle> decoder_;
};

}  // namespace

std::u16string Decode(unsigned codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  return ToUnits(Converter(codePage, codePage, std::nullopt).Decode(bytes));
}

std::string Encode(unsigned codePage, std::u16string_view units, std::optional<char> defaultChar) {
  if (units.empty()) return {};
  return Converter(codePage, codePage, defaultChar).Encode(AsBytes(units));
}

std::string EncodeExact(unsigned codePage, std::u16string_view units) {
  // iconv has no look-alikes: what it cannot write is the default character.
  return Encode(codePage, units, '?');
}

std::string Transcode(unsigned from, unsigned to, std::string_view bytes, std::optional<char> defaultChar) {
  if (bytes.empty()) return {};
  return Converter(from, to, defaultChar).Transcode(bytes);
}

std::optional<std::string> SystemSimplifiedChinese(std::string_view) {
  return std::nullopt;
}

}  // namespace vorlane::codepage
