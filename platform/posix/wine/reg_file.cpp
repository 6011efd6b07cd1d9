#include "platform/posix/wine/reg_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "platform/posix/unicode_case.h"

namespace drelbin::wine {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Blanks that Wine skips at the start of a line and around "=" (isspace in
// the C locale; a line holds no '\n').
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return static_cast<unsigned>(c - 'A' + 10);
}

const char* SkipBlanks(const char* p, const char* end) {
  while (p != end && IsBlank(*p)) ++p;
  return p;
}

// A byte outside an escape becomes one UTF-16 unit as Wine's loader widens
// a (signed) char: bytes from 0x80 up become 0xFF80-0xFFFF.  Wine writes
// only ASCII, so this matters only for files written by others.
char16_t Widen(char c) {
  return static_cast<char16_t>(static_cast<std::int16_t>(static_cast<signed char>(c)));
}

// One line: [begin, end) is its text without the line break (and a '\r'
// before it), cut at a NUL byte as Wine's fgets-based reader cuts it; next
// is where the following line starts.
struct Line {
  std::size_t begin;
  std::size_t end;
  std::size_t next;
};

enum class Step { kUnit, kDelimiter, kEnd };

// One unit of an escaped name or string, up to `delimiter`.  kEnd when the
// line ends first (the text is malformed).
Step NextUnit(const char*& p, const char* end, char delimiter, char16_t& unit) {
  if (p == end) return Step::kEnd;
  const char c = *p++;
  if (c == delimiter) return Step::kDelimiter;
  if (c != '\\') {
    unit = Widen(c);
    return Step::kUnit;
  }
  if (p == end) return Step::kEnd;  // a lone backslash at the end of the line
  const char escape = *p++;
  switch (escape) {
    case 'a':
      unit = 0x07;
      break;
    case 'b':
      unit = 0x08;
      break;
    case 'e':
      unit = 0x1B;
      break;
    case 'f':
      unit = 0x0C;
      break;
    case 'n':
      unit = 0x0A;
      break;
    case 'r':
      unit = 0x0D;
      break;
    case 't':
      unit = 0x09;
      break;
    case 'v':
      unit = 0x0B;
      break;
    case 'x': {
      if (p == end || !IsHexDigit(*p)) {
        unit = u'x';  // "\x" without digits is the letter itself
        break;
      }
      unsigned value = 0;
      for (int digits = 0; digits < 4 && p != end && IsHexDigit(*p); ++digits) {
        value = value * 16 + HexValue(*p++);
      }
      unit = static_cast<char16_t>(value);
      break;
    }
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7': {
      unsigned value = static_cast<unsigned>(escape - '0');
      for (int digits = 1; digits < 3 && p != end && *p >= '0' && *p <= '7'; ++digits) {
        value = value * 8 + static_cast<unsigned>(*p++ - '0');
      }
      unit = static_cast<char16_t>(value);
      break;
    }
    default:
      unit = Widen(escape);
      break;
  }
  return Step::kUnit;
}

// strtoul(p, &end, 16) of the C library, bounded by `end`: blanks, a sign,
// an optional "0x", hex digits; saturates at the largest value.  Sets
// `after` to the first byte not used (`p` when there are no digits).
std::uint64_t ParseHexNumber(const char* p, const char* end, const char*& after) {
  const char* q = p;
  while (q != end && (IsBlank(*q) || *q == '\n')) ++q;
  bool negative = false;
  if (q != end && (*q == '+' || *q == '-')) negative = *q++ == '-';
  if (end - q >= 3 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X') && IsHexDigit(q[2])) q += 2;
  if (q == end || !IsHexDigit(*q)) {
    after = p;
    return 0;
  }
  std::uint64_t value = 0;
  bool overflow = false;
  for (; q != end && IsHexDigit(*q); ++q) {
    if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) overflow = true;
    value = value * 16 + HexValue(*q);
  }
  after = q;
  if (overflow) return std::numeric_limits<std::uint64_t>::max();
  return negative ? (~value + 1) : value;
}

enum class Hex { kDone, kContinues, kMalformed };

// The hex bytes "00,11,22" of one line from `p`, appended to `out` when it
// is given.  kContinues when a backslash follows them: the next line holds
// more.  Each byte is read as strtoul reads a hex number (so "0x1f" is one
// byte and "0102" is a number too large for one), blanks may stand around
// the commas, and anything else after the bytes spoils the value.
Hex ParseHexLine(const char* p, const char* end, std::string* out) {
  while (p != end && IsHexDigit(*p)) {
    const char* after;
    const std::uint64_t value = ParseHexNumber(p, end, after);
    if (after == p || value > 0xFF) return Hex::kMalformed;
    if (out != nullptr) out->push_back(static_cast<char>(value));
    p = SkipBlanks(after, end);
    if (p != end && *p == ',') ++p;
    p = SkipBlanks(p, end);
  }
  p = SkipBlanks(p, end);
  if (p == end) return Hex::kDone;
  return *p == '\\' ? Hex::kContinues : Hex::kMalformed;
}

enum class Parse { kString, kDword, kHex };

// The part of a value line before its data: name, type and where the data
// starts.
struct ValueHead {
  const char* name = nullptr;  // escaped name after its opening quote; nullptr for "@"
  std::uint32_t type = 0;
  Parse parse = Parse::kString;
  const char* data = nullptr;
};

bool StartsWith(const char* p, const char* end, std::string_view tag) {
  return static_cast<std::size_t>(end - p) >= tag.size() &&
         std::memcmp(p, tag.data(), tag.size()) == 0;
}

// What a value line's start says: no value at all (the name or "=" is
// malformed), a value whose data is spoilt (Wine then keeps it as REG_NONE
// without data, whatever it held before), or a value to read.
enum class Head { kNone, kSpoilt, kOk };

// Parses `"Name"=type:` or `@=type:` from `p` (the line's first non-blank).
Head ParseValueHead(const char* p, const char* end, ValueHead& head) {
  if (p == end) return Head::kNone;
  if (*p == '@') {
    ++p;
  } else if (*p == '"') {
    head.name = ++p;
    char16_t unit;
    Step step;
    while ((step = NextUnit(p, end, '"', unit)) == Step::kUnit) {
    }
    if (step == Step::kEnd) return Head::kNone;
  } else {
    return Head::kNone;
  }
  p = SkipBlanks(p, end);
  if (p == end || *p != '=') return Head::kNone;
  p = SkipBlanks(p + 1, end);
  struct Tag {
    std::string_view text;
    std::uint32_t type;
    Parse parse;
  };
  static constexpr Tag kTags[] = {
      {"\"", kRegSz, Parse::kString},
      {"str:\"", kRegSz, Parse::kString},
      {"str(2):\"", kRegExpandSz, Parse::kString},
      {"str(7):\"", kRegMultiSz, Parse::kString},
      {"hex:", kRegBinary, Parse::kHex},
      {"dword:", kRegDword, Parse::kDword},
  };
  for (const Tag& tag : kTags) {
    if (StartsWith(p, end, tag.text)) {
      head.type = tag.type;
      head.parse = tag.parse;
      head.data = p + tag.text.size();
      return Head::kOk;
    }
  }
  if (!StartsWith(p, end, "hex(")) return Head::kSpoilt;
  const char* after;
  head.type = static_cast<std::uint32_t>(ParseHexNumber(p + 4, end, after));
  if (!StartsWith(after, end, "):")) return Head::kSpoilt;
  head.parse = Parse::kHex;
  head.data = after + 2;
  return Head::kOk;
}

// True when the value's name is `upcased` (already upper-cased).
bool NameIs(const ValueHead& head, const char* end, std::u16string_view upcased) {
  if (head.name == nullptr) return upcased.empty();
  const char* p = head.name;
  std::size_t i = 0;
  char16_t unit;
  while (NextUnit(p, end, '"', unit) == Step::kUnit) {
    if (i == upcased.size() || unicode::Upcase(unit) != upcased[i]) return false;
    ++i;
  }
  return i == upcased.size();
}

// The escaped string from `p` up to its closing quote, as UTF-16LE bytes
// with a terminating NUL.  False when the quote is missing.
bool ParseString(const char* p, const char* end, std::string& out) {
  char16_t unit;
  Step step;
  while ((step = NextUnit(p, end, '"', unit)) == Step::kUnit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
  out.append(2, '\0');
  return step == Step::kDelimiter;
}

enum class KeyMatch { kOther, kExact, kBelow };

// Compares the key line's name (from just after '[') with `path` (names
// already upper-cased).  Names are separated by backslashes (written "\\");
// a run of them counts as one and one at the end is ignored, but a name
// that starts with one creates no key, as in Wine.
KeyMatch MatchKeyName(const char* p, const char* end, const KeyPath& path) {
  std::size_t token = 0;  // index of the name being read
  std::size_t pos = 0;    // units of it matched so far
  bool started = false;
  bool after_separator = false;
  bool below = false;  // names past the end of `path`
  char16_t unit;
  for (;;) {
    const Step step = NextUnit(p, end, ']', unit);
    if (step == Step::kEnd) return KeyMatch::kOther;
    if (step == Step::kDelimiter) break;
    if (unit == u'\\') {
      if (!started) return KeyMatch::kOther;
      if (!after_separator && token < path.size()) {
        if (pos != path[token].size()) return KeyMatch::kOther;
        ++token;
        pos = 0;
      }
      after_separator = true;
      continue;
    }
    started = true;
    after_separator = false;
    if (token < path.size()) {
      if (pos == path[token].size() || unicode::Upcase(unit) != path[token][pos]) {
        return KeyMatch::kOther;
      }
      ++pos;
    } else {
      below = true;
    }
  }
  if (token < path.size()) {
    return (token + 1 == path.size() && pos == path[token].size()) ? KeyMatch::kExact
                                                                   : KeyMatch::kOther;
  }
  return below ? KeyMatch::kBelow : KeyMatch::kExact;
}

KeyPath Upcased(const KeyPath& path) {
  KeyPath upcased = path;
  for (auto& name : upcased) {
    for (auto& unit : name) unit = unicode::Upcase(unit);
  }
  return upcased;
}

// Reads lines of one file's text.
class Lines {
 public:
  Lines(std::string_view text, std::size_t body) : text_(text), body_(body) {}

  Line At(std::size_t begin) const {
    const char* base = text_.data();
    const void* newline = std::memchr(base + begin, '\n', text_.size() - begin);
    std::size_t end =
        newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - base) : text_.size();
    const std::size_t next = newline ? end + 1 : text_.size();
    if (newline && end > begin && base[end - 1] == '\r') --end;
    if (const void* nul = std::memchr(base + begin, '\0', end - begin)) {
      end = static_cast<std::size_t>(static_cast<const char*>(nul) - base);
    }
    return {begin, end, next};
  }

  const char* Ptr(std::size_t offset) const { return text_.data() + offset; }

  // The next key line at or after `from`: a line whose first non-blank is
  // '[' and that no hex value before it takes as its continuation.
  // Returns its offset of '[' (npos when there is none) and sets `start` to
  // the start of its line.
  [[gnu::always_inline]] std::size_t NextKeyLine(std::size_t from, std::size_t& start) const {
    const char* base = text_.data();
    from = std::max(from, body_);
    while (from < text_.size()) {
      const void* hit = std::memchr(base + from, '[', text_.size() - from);
      if (hit == nullptr) return npos;
      const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
      from = at + 1;
      start = at;
      if (at == body_ || base[at - 1] != '\n') {
        while (start > body_ && IsBlank(base[start - 1])) --start;
        if (start != body_ && base[start - 1] != '\n') continue;  // inside a line
      }
      // Wine writes a blank line before each key line: nothing to walk back.
      const bool after_blank = start >= body_ + 2 && base[start - 2] == '\n';
      if (!after_blank && Continued(start)) continue;
      return at;
    }
    return npos;
  }

  // True when the line at `start` is read as the continuation of a hex
  // value.  Only lines that could go on (ending, after their hex bytes, in
  // a backslash) are walked back over; a key line stops the walk, so the
  // whole scan stays one pass.  A value line is taken to belong to a key
  // even where Wine would drop it as a value without key (before the first
  // key line or after a broken one): there Wine reads no continuation, this
  // reader does.  Wine never writes such files.
  bool Continued(std::size_t start) const {
    std::size_t first = start;
    while (first > body_) {
      const Line previous = At(LineStartBefore(first));
      if (!GoesOnAsContinuation(previous) && !GoesOnAsValue(previous)) break;
      first = previous.begin;
    }
    bool in_value = false;
    for (std::size_t at = first; at < start;) {
      const Line line = At(at);
      in_value = in_value ? GoesOnAsContinuation(line) : GoesOnAsValue(line);
      at = line.next;
    }
    return in_value;
  }

  std::size_t size() const { return text_.size(); }

 private:
  // The start of the line that ends just before `start` (> body_).
  std::size_t LineStartBefore(std::size_t start) const {
    const char* base = text_.data();
    const std::size_t last = start - 1;  // its '\n'
    const void* newline = last > body_ ? memrchr(base + body_, '\n', last - body_) : nullptr;
    return newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - base) + 1 : body_;
  }

  bool GoesOnAsContinuation(const Line& line) const {
    const char* end = Ptr(line.end);
    return ParseHexLine(SkipBlanks(Ptr(line.begin), end), end, nullptr) == Hex::kContinues;
  }

  bool GoesOnAsValue(const Line& line) const {
    const char* end = Ptr(line.end);
    ValueHead head;
    return ParseValueHead(SkipBlanks(Ptr(line.begin), end), end, head) == Head::kOk &&
           head.parse == Parse::kHex && ParseHexLine(head.data, end, nullptr) == Hex::kContinues;
  }

  std::string_view text_;
  std::size_t body_;
};

// Matches key lines against one key path.  Most key lines differ from the
// path within a few characters, so the match first compares the raw bytes
// with the path as Wine writes it (plain ASCII, separators as "\\"),
// without regard to ASCII case.  Only a line that gets past that, or that
// holds an escape where it differs, is decoded unit by unit.
class KeyMatcher {
 public:
  explicit KeyMatcher(const KeyPath& path) : path_(Upcased(path)) {
    for (std::size_t i = 0; i < path_.size(); ++i) {
      if (i > 0) {
        AddByte('\\', false);
        AddByte('\\', true);
      }
      for (const char16_t unit : path_[i]) {
        // Wine writes other characters as escapes: decode from here on.
        if (unit < 0x20 || unit >= 0x7F || unit == u'\\' || unit == u'"' || unit == u'[' ||
            unit == u']') {
          return;
        }
        AddByte(static_cast<char>(unit), false);
      }
    }
  }

  // How the key line whose '[' is at `at` relates to the path.
  [[gnu::always_inline]] KeyMatch Match(const Lines& lines, std::size_t at) const {
    const char* p = lines.Ptr(at + 1);
    const std::size_t room = lines.size() - (at + 1);
    const std::size_t length = std::min(room, bytes_.size());
    std::size_t i = 0;
    // Eight bytes at a time while they match, then straight to the first
    // byte that differs.
    while (i + 8 <= length) {
      const std::uint64_t differ = (Load(p + i) | Load(fold_.data() + i)) ^ Load(bytes_.data() + i);
      if (differ != 0) {
        i += static_cast<std::size_t>(std::countr_zero(differ)) / 8;  // little-endian
        break;
      }
      i += 8;
    }
    for (; i < length; ++i) {
      const char c = p[i];
      if ((c | fold_[i]) == bytes_[i]) continue;
      // The line differs here.  It surely names another key unless it
      // holds an escape here, or this is the second byte of a separator.
      if (second_of_pair_[i] != '\0' || c == '\\') break;
      return KeyMatch::kOther;
    }
    if (length < bytes_.size() && length == room) return KeyMatch::kOther;  // the file ends
    return MatchKeyName(p, lines.Ptr(lines.At(at).end), path_);
  }

 private:
  static std::uint64_t Load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  }

  void AddByte(char byte, bool second_of_pair) {
    const bool letter = byte >= 'A' && byte <= 'Z';
    bytes_ += letter ? static_cast<char>(byte + 32) : byte;
    fold_ += letter ? '\x20' : '\0';
    second_of_pair_ += second_of_pair ? '\1' : '\0';
  }

  KeyPath path_;                // upper-cased
  std::string bytes_;           // the start of the path as Wine writes it, lower-cased
  std::string fold_;            // 0x20 where bytes_ holds a letter: "c | fold" lower-cases it
  std::string second_of_pair_;  // 1 at the second byte of a separator
};

}  // namespace

RegFile::RegFile(std::string_view text) : text_(text) {
  if (text.empty()) return;
  const Lines lines(text, 0);
  const Line header = lines.At(0);
  if (text.substr(header.begin, header.end - header.begin) != kHeader) return;
  valid_ = true;
  body_ = header.next;
  // Options stand before the first key.
  for (std::size_t at = body_; at < text.size();) {
    const Line line = lines.At(at);
    const char* end = lines.Ptr(line.end);
    const char* p = SkipBlanks(lines.Ptr(line.begin), end);
    const std::string_view rest(p, static_cast<std::size_t>(end - p));
    if (!rest.empty() && rest.front() == '[') break;
    if (rest == "#arch=win64") {
      win64_ = true;
    } else if (rest == "#arch=win32") {
      win64_ = false;
    } else if (rest.starts_with("#arch=")) {
      text_ = text_.substr(0, line.begin);  // Wine stops reading at an unknown architecture
      break;
    }
    at = line.next;
  }
}

std::optional<KeyLocation> RegFile::FindKey(const KeyPath& path) const {
  if (!valid_) return std::nullopt;
  const KeyMatcher matcher(path);
  const Lines lines(text_, body_);
  bool exists = false;
  std::size_t start = 0;
  for (std::size_t at = lines.NextKeyLine(body_, start); at != npos;
       at = lines.NextKeyLine(at + 1, start)) {
    switch (matcher.Match(lines, at)) {
      case KeyMatch::kExact:
        return KeyLocation{start};
      case KeyMatch::kBelow:
        exists = true;
        break;
      case KeyMatch::kOther:
        break;
    }
  }
  if (!exists) return std::nullopt;
  return KeyLocation{};
}

std::optional<RegValue> RegFile::FindValue(const KeyPath& path, const KeyLocation& where,
                                           std::u16string_view name) const {
  if (!valid_ || where.first_section == npos || where.first_section >= text_.size()) {
    return std::nullopt;
  }
  const KeyMatcher matcher(path);
  std::u16string upcased_name(name);
  for (auto& unit : upcased_name) unit = unicode::Upcase(unit);
  const Lines lines(text_, body_);
  std::optional<RegValue> found;
  std::size_t start = 0;
  std::size_t from = where.first_section;
  for (std::size_t at = lines.NextKeyLine(from, start); at != npos;
       at = lines.NextKeyLine(from, start)) {
    from = at + 1;
    if (matcher.Match(lines, at) != KeyMatch::kExact) continue;
    from = lines.At(at).next;
    // The key's own section: every line up to the next key line.
    while (from < text_.size()) {
      const Line current = lines.At(from);
      const char* end = lines.Ptr(current.end);
      const char* p = SkipBlanks(lines.Ptr(current.begin), end);
      if (p != end && *p == '[') break;
      from = current.next;
      ValueHead head;
      const Head status = ParseValueHead(p, end, head);
      if (status == Head::kNone) continue;  // options, comments, blank or bad lines
      const bool wanted = NameIs(head, end, upcased_name);
      RegValue value{head.type, {}};
      bool ok = status == Head::kOk;
      if (ok) switch (head.parse) {
          case Parse::kString:
            ok = !wanted || ParseString(head.data, end, value.data);
            break;
          case Parse::kDword: {
            const char* after;
            const auto number = static_cast<std::uint32_t>(ParseHexNumber(head.data, end, after));
            for (int shift = 0; shift < 32; shift += 8) {
              value.data.push_back(static_cast<char>((number >> shift) & 0xFF));
            }
            break;
          }
          case Parse::kHex: {
            Hex hex = ParseHexLine(head.data, end, wanted ? &value.data : nullptr);
            while (hex == Hex::kContinues) {
              if (from >= text_.size()) {
                hex = Hex::kMalformed;
                break;
              }
              const Line more = lines.At(from);
              from = more.next;
              const char* more_end = lines.Ptr(more.end);
              hex = ParseHexLine(SkipBlanks(lines.Ptr(more.begin), more_end), more_end,
                                 wanted ? &value.data : nullptr);
            }
            ok = hex == Hex::kDone;
            break;
          }
        }
      if (wanted) found = ok ? std::move(value) : RegValue{};  // spoilt: REG_NONE, no data
    }
  }
  return found;
}

}  // namespace drelbin::wine
