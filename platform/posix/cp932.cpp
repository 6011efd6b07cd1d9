#include "platform/posix/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace drelbin::cp932 {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// One glibc iconv conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the whole of `in` into `out`; false when `in` holds a sequence
  // that cannot be converted or ends inside a character.  `consumed` tells
  // how many input bytes were used.
  bool Convert(const char* in, std::size_t size, std::string& out, std::size_t& consumed) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char buffer[256];
    char* source = const_cast<char*>(in);
    std::size_t left = size;
    while (left > 0) {
      char* target = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t result = iconv(cd_, &source, &left, &target, &room);
      out.append(buffer, static_cast<std::size_t>(target - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
        consumed = size - left;
        return false;
      }
    }
    consumed = size;
    return true;
  }

 private:
  iconv_t cd_;
};

// The two conversions, opened once per thread: opening one costs far more
// than converting a short text.
Converter& Encoder() {
  thread_local Converter encoder("CP932", "UTF-16LE");
  return encoder;
}

Converter& Decoder() {
  thread_local Converter decoder("UTF-16LE", "CP932");
  return decoder;
}

std::u16string BytesToUtf16(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                    (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `text[i]`; nullopt when it is invalid, and
// then `i` moves past one byte only.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<std::uint8_t>(text[i]);
  std::size_t length;
  char32_t c;
  char32_t minimum;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07u, minimum = 0x10000;
  } else {
    ++i;
    return std::nullopt;
  }
  if (text.size() - i < length) {
    ++i;
    return std::nullopt;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto trail = static_cast<std::uint8_t>(text[i + k]);
    if ((trail & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    c = (c << 6) | (trail & 0x3Fu);
  }
  if (c < minimum || c > 0x10FFFF || IsSurrogate(c)) {
    ++i;
    return std::nullopt;
  }
  i += length;
  return c;
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

std::string FromUtf16(std::u16string_view text) {
  Converter& encode = Encoder();
  Converter& decode = Decoder();
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      continue;
    }
    if (IsSurrogate(unit) || !encode.ok() || !decode.ok()) {
      out += '?';
      continue;
    }
    const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    std::string bytes;
    std::string back;
    std::size_t consumed;
    // Kept only when it decodes to the same character: glibc also maps a
    // few characters that code page 932 lacks onto look-alikes ("best fit").
    if (encode.Convert(in, 2, bytes, consumed) && !bytes.empty() &&
        decode.Convert(bytes.data(), bytes.size(), back, consumed) && back.size() == 2 &&
        back[0] == in[0] && back[1] == in[1]) {
      out += bytes;
    } else {
      out += '?';
    }
  }
  return out;
}

std::string FromUtf8(std::string_view text) {
  std::u16string units;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = NextUtf8(text, i);
    AppendUtf16(units, c ? *c : kReplacement);
  }
  return FromUtf16(units);
}

std::optional<std::u16string> ToUtf16(std::string_view text) {
  Converter& decode = Decoder();
  if (!decode.ok()) return std::nullopt;
  std::string bytes;
  std::size_t consumed;
  if (!decode.Convert(text.data(), text.size(), bytes, consumed)) return std::nullopt;
  return BytesToUtf16(bytes);
}

std::optional<std::string> ToUtf8(std::string_view text) {
  const auto units = ToUtf16(text);
  if (!units) return std::nullopt;
  return Utf16ToUtf8(*units);
}

std::string ToUtf8ForDisplay(std::string_view text) {
  Converter& decode = Decoder();
  std::u16string units;
  std::size_t i = 0;
  while (i < text.size()) {
    std::string bytes;
    std::size_t consumed = 0;
    const bool whole =
        decode.ok() && decode.Convert(text.data() + i, text.size() - i, bytes, consumed);
    units += BytesToUtf16(bytes);
    i += consumed;
    if (whole) break;
    units += kReplacement;
    ++i;  // skip the byte that starts no valid character
  }
  return Utf16ToUtf8(units);
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(text[i + 1]) - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, IsSurrogate(unit) ? kReplacement : unit);
    }
  }
  return out;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = NextUtf8(text, i);
    if (!c) return std::nullopt;
    AppendUtf16(out, *c);
  }
  return out;
}

}  // namespace drelbin::cp932
