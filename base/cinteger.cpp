// The one reader of C integer constants: what the compiler makes of a number in the generated code or in a field.
#include "base/cinteger.h"

#include <limits>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsTokenChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.';
}

int HexDigit(char c) {
  if (IsDigit(c))
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at]))
    ++at;
  return at;
}

// The number token as the compiler's preprocessor cuts it: letters, digits,
// points, and a sign straight after an exponent letter. Cutting the same way
// is what makes "0x1e+1" or "08" one bad number instead of a good one with
// something after it.
std::size_t TokenEnd(std::string_view text, std::size_t at) {
  while (at < text.size()) {
    char c = text[at];
    char previous = text[at - 1];
    bool exponentSign = (c == '+' || c == '-') &&
                        (previous == 'e' || previous == 'E' || previous == 'p' || previous == 'P');
    if (!IsTokenChar(c) && !exponentSign)
      break;
    ++at;
  }
  return at;
}

struct CSuffix {
  bool isUnsigned = false;
  int longs = 0;
};

// u/U and l/L/ll/LL in either order; "lL" and a doubled "u" are refused as the compiler refuses them.
bool ReadSuffix(std::string_view suffix, CSuffix& out) {
  std::size_t at = 0;
  auto takeUnsigned = [&] {
    if (at < suffix.size() && (suffix[at] == 'u' || suffix[at] == 'U')) {
      out.isUnsigned = true;
      ++at;
    }
  };
  auto takeLong = [&] {
    std::string_view rest = suffix.substr(at);
    if (rest.substr(0, 2) == "ll" || rest.substr(0, 2) == "LL") {
      out.longs = 2;
      at += 2;
    } else if (!rest.empty() && (rest[0] == 'l' || rest[0] == 'L')) {
      out.longs = 1;
      ++at;
    }
  };
  takeUnsigned();
  takeLong();
  if (!out.isUnsigned)
    takeUnsigned();
  return at == suffix.size();
}

enum class EType { kInt, kUnsigned, kLong, kUnsignedLong, kNone };

// The first type of the language's list that holds the constant, with int 32
// and long 64 bits wide as on the targets' compilers and on this machine's.
EType TypeOf(uint64_t magnitude, bool decimal, const CSuffix& suffix) {
  constexpr uint64_t kIntMax = std::numeric_limits<int32_t>::max();
  constexpr uint64_t kUnsignedMax = std::numeric_limits<uint32_t>::max();
  constexpr uint64_t kLongMax = std::numeric_limits<int64_t>::max();
  bool unsignedAllowed = suffix.isUnsigned || !decimal;
  if (suffix.longs == 0 && !suffix.isUnsigned && magnitude <= kIntMax)
    return EType::kInt;
  if (suffix.longs == 0 && unsignedAllowed && magnitude <= kUnsignedMax)
    return EType::kUnsigned;
  if (!suffix.isUnsigned && magnitude <= kLongMax)
    return EType::kLong;
  if (unsignedAllowed)
    return EType::kUnsignedLong;
  return EType::kNone;
}

// Reads the token `token` (non-empty, starting with a digit) into `out`.
void ReadToken(std::string_view token, bool negative, CIntegerRead& out) {
  std::size_t at = 0;
  int base = 10;
  if (token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    base = 16;
    at = 2;
  } else if (token[0] == '0') {
    base = 8;
  }
  std::size_t digits = at;
  uint64_t magnitude = 0;
  bool tooLarge = false;
  bool badDigit = false;
  for (; at < token.size(); ++at) {
    int digit = HexDigit(token[at]);
    if (digit < 0 || (base != 16 && !IsDigit(token[at])))
      break;
    if (digit >= base)
      badDigit = true;
    if (magnitude > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(digit)) /
                        static_cast<uint64_t>(base))
      tooLarge = true;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  CSuffix suffix;
  if (at == digits || badDigit || !ReadSuffix(token.substr(at), suffix)) {
    out.status = ECInteger::kMalformed;
    return;
  }
  EType type = tooLarge ? EType::kNone : TypeOf(magnitude, base == 10, suffix);
  uint64_t bits = negative ? 0 - magnitude : magnitude;
  switch (type) {
    case EType::kInt:
    case EType::kLong:
      out.value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
      break;
    case EType::kUnsigned:
      out.value = static_cast<uint32_t>(bits);
      break;
    case EType::kUnsignedLong:
      if (bits > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        out.status = ECInteger::kTooLarge;
        return;
      }
      out.value = static_cast<int64_t>(bits);
      break;
    case EType::kNone:
      out.status = ECInteger::kTooLarge;
      return;
  }
  out.status = ECInteger::kOk;
}

}  // namespace

CIntegerRead ReadCIntegerPrefix(std::string_view text) {
  CIntegerRead read;
  std::size_t at = SkipBlanks(text, 0);
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    read.negative = text[at] == '-';
    at = SkipBlanks(text, at + 1);
  }
  if (at >= text.size() || !IsDigit(text[at])) {
    read.negative = false;
    return read;
  }
  std::size_t end = TokenEnd(text, at + 1);
  ReadToken(text.substr(at, end - at), read.negative, read);
  read.end = end;
  return read;
}

CIntegerRead ReadCIntegerText(std::string_view text) {
  CIntegerRead read = ReadCIntegerPrefix(text);
  if (read.status != ECInteger::kNoNumber && SkipBlanks(text, read.end) != text.size())
    read.status = ECInteger::kMalformed;
  return read;
}

bool ReadCInteger(std::string_view text, int64_t& value) {
  CIntegerRead read = ReadCIntegerText(text);
  if (read.status != ECInteger::kOk)
    return false;
  value = read.value;
  return true;
}

bool ReadCInteger32(std::string_view text, int32_t& value) {
  int64_t wide = 0;
  if (!ReadCInteger(text, wide) || wide < std::numeric_limits<int32_t>::min() ||
      wide > static_cast<int64_t>(std::numeric_limits<uint32_t>::max()))
    return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(wide));
  return true;
}
