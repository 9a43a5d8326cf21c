// The one reader of C integer constants: what the compiler makes of a number in the generated code or in a field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// How a text reads as an integer constant.
enum class ECInteger {
  kOk,
  kNoNumber,   // nothing that starts a number: empty, blanks, a name, a lone sign
  kMalformed,  // a number the compiler refuses as an integer: 08, 0x, 0x1g, 1lL, 1.5
  kTooLarge,   // beyond 64 bits, or a value no signed 64-bit number holds (0xFFFFFFFFFFFFFFFF)
};

struct CIntegerRead {
  ECInteger status = ECInteger::kNoNumber;
  // The value of the expression, as the compiler computes it, when status is kOk.
  int64_t value = 0;
  // A minus sign stood before the number (also set for kTooLarge, so that a
  // caller can tell which end of a range was crossed).
  bool negative = false;
  // Characters read: the blanks, the sign and the whole number token.
  std::size_t end = 0;
};

// Reads the number at the front of `text`: blanks, an optional "+" or "-"
// (blanks may follow it, as the compiler allows), then one number token as the
// compiler cuts it, so "08" and "0x10g" are one malformed token rather than a
// number with text after it. The token is decimal, "0x"/"0X" hexadecimal or
// leading-"0" octal, with an optional u/U, l/L, ll/LL suffix or both.
// The value follows the language: the constant takes the first type that holds
// it (int, then unsigned int for hexadecimal and octal, then the 64-bit types),
// and a minus sign applies in that type, so "-0x80000000" is 2147483648 and
// "-1u" is 4294967295, as in the generated code. Binary constants, digit
// separators, parentheses and more than one sign are not read.
CIntegerRead ReadCIntegerPrefix(std::string_view text);

// The whole text is one number with blanks allowed around it.
CIntegerRead ReadCIntegerText(std::string_view text);
bool ReadCInteger(std::string_view text, int64_t& value);

// A number a 32-bit register or int holds: the whole text, with a value from
// INT32_MIN to UINT32_MAX, given as its 32 bits (0xFFFFFFFF is -1). A value
// past 32 bits is refused rather than cut to its low bits.
bool ReadCInteger32(std::string_view text, int32_t& value);
