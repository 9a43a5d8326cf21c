// Shared text helpers: frequency and duration text, tokens, whole-file reading, clean-ups.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reads "OFF" or a number with an optional unit letter ("K"/"k" kilo, "M"
// mega; any other letter scales nothing), as "%lf %c" scans it; the number is
// truncated towards zero (a decimal text such as "2.01k" still gives 2010) and
// its low 32 bits stored. `defaultUnit` applies when no letter follows (0:
// none). `hz` may be null to validate only; it is left alone on failure.
bool ParseFrequency(const std::string& text, uint32_t* hz, char defaultUnit = 0);
// The same forms, for a value a user typed where nothing may be guessed: the
// whole text must read, and a negative value or one beyond 32 bits of hertz is
// refused instead of wrapped.
bool ParseFrequencyStrict(const std::string& text, uint32_t* hz, char defaultUnit = 0);
// "OFF" (or `zeroText`) for 0, "%d Hz", "%g kHz", "%g MHz".
std::string FormatFrequency(uint32_t hz, const char* zeroText = nullptr);
// The same text where it reads back as `hz`, else the number with every digit
// it needs ("123.456789 MHz" where the shown text says 123.457): what a file
// that is read again must hold.
std::string FormatFrequencyExact(uint32_t hz);
// "%g ns", "%g us", "%g ms" or "%g s", whichever unit keeps the number at or above 1.
std::string FormatDuration(double seconds);

// Token `index` of `text`, each token ending at any one of `delimiters`, so
// consecutive delimiters give empty tokens. False for an absent text, and
// (with an empty token) when the text ends before token `index` begins.
bool ExtractToken(const std::string* text, int index, std::string_view delimiters, std::string& token);

// The whole file of at most 1 MiB with its line ends as single newlines and
// every backslash-newline turned into two blanks. A file that is too big or
// cannot be read is reported through the messages port and gives false.
bool ReadTextFile(const std::string& path, std::string& text);

// Removes one pair of matching surrounding double or single quotes.
void StripQuotes(std::string& text);
// Trims, turns line ends into "; " statement separators and collapses blanks.
void NormalizeWhitespace(std::string& text);

// The text with a backslash before every character Markdown could take for
// markup, so a document written from data shows the data as it is. "|" is
// among them: it would end a table cell, even inside code.
std::string EscapeMarkdown(std::string_view text);
