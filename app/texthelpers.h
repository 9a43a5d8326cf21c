// Shared text helpers: frequency and duration text, tokens, whole-file reading, clean-ups.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reads "OFF", or a number optionally followed by a unit letter: "K"/"k" for
// kHz, "M" for MHz; any other letter scales by 1. `defaultUnit` applies when no
// letter follows (0 = none). The value is truncated towards zero and its low 32
// bits are kept. `hz` may be null to validate only; it is left unchanged on
// failure.
bool ParseFrequency(const std::string& text, uint32_t* hz, char defaultUnit = 0);

// "OFF" (or `zeroText`) for 0, else "N Hz", "N kHz" or "N MHz" with at most six
// significant digits.
std::string FormatFrequency(uint32_t hz, const char* zeroText = nullptr);

// "N ns", "N us", "N ms" or "N s", with at most six significant digits.
std::string FormatDuration(double seconds);

// The token with zero-based `index`, tokens ending at any character of
// `delimiters`; consecutive delimiters give empty tokens. False (token left
// alone) for an absent text; false and an empty token when the text has fewer
// tokens.
bool ExtractToken(const std::string* text, int index, std::string_view delimiters, std::string& token);

// The whole file as text, at most 1 MiB: "\r\n" becomes "\n" and a backslash
// followed by a line end becomes two blanks, so continued lines become one.
// Problems are reported through the message port; the result is then false.
bool ReadTextFile(const std::string& path, std::string& text);

// Removes one pair of matching surrounding double or single quotes.
void StripQuotes(std::string& text);

// Makes a statement text one line: trimmed, line ends as "; ", tabs as blanks,
// runs of blanks and of empty statements collapsed.
void NormalizeWhitespace(std::string& text);
