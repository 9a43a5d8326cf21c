// Frequency and duration text, token extraction, whole-file reading and text clean-ups.
#include "base/texthelpers.h"

#include <cmath>
#include <cstdio>
#include <locale.h>

#include "base/filereader.h"

namespace {

// Numbers are read and written with a full stop whatever locale the desktop
// program installs, so a project file means the same on every machine.
class CCLocaleScope {
 public:
  CCLocaleScope() : m_previous(uselocale(CLocale())) {}
  ~CCLocaleScope() { uselocale(m_previous); }
  CCLocaleScope(const CCLocaleScope&) = delete;
  CCLocaleScope& operator=(const CCLocaleScope&) = delete;

 private:
  static locale_t CLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
  }
  locale_t m_previous;
};

std::string FormatG(double value, const char* unit, int digits = 6) {
  CCLocaleScope cLocale;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*g %s", digits, value, unit);
  return buffer;
}

// Truncation through a 64-bit integer, keeping the low 32 bits. A value that
// no 64-bit integer holds (and NaN) gives 0, as the hardware conversion's
// "indefinite" result does.
uint32_t LowBits(double value) {
  // A decimal text misses a whole number only by binary rounding ("2.01k" gives
  // 2009.9999999999998): the user meant 2010 Hz, not 2009.
  double nearest = std::round(value);
  double truncated = std::fabs(value - nearest) <= std::fabs(value) * 1e-12 ? nearest : std::trunc(value);
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(truncated > -kLimit && truncated < kLimit))
    return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(truncated)));
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, done)) {
    out.append(text, done, at - done).append(to);
    done = at + from.size();
  }
  if (done == 0)
    return;
  out.append(text, done);
  text = std::move(out);
}

void ReplaceUntilGone(std::string& text, std::string_view from, std::string_view to) {
  while (text.find(from) != std::string::npos)
    ReplaceAll(text, from, to);
}

bool IsBlank(char c) { return std::string_view(" \t\n\r\v\f").find(c) != std::string_view::npos; }

}  // namespace

bool ParseFrequency(const std::string& text, uint32_t* hz, char defaultUnit) {
  if (text == "OFF") {
    if (hz)
      *hz = 0;
    return true;
  }
  double value = 0;
  char unit = 0;
  int read;
  {
    CCLocaleScope cLocale;
    read = std::sscanf(text.c_str(), "%lf %c", &value, &unit);
  }
  if (read < 1)
    return false;
  if (read < 2)
    unit = defaultUnit;
  if (unit == 'K' || unit == 'k')
    value *= 1000;
  else if (unit == 'M')
    value *= 1000000;
  if (hz)
    *hz = LowBits(value);
  return true;
}

bool ParseFrequencyStrict(const std::string& text, uint32_t* hz, char defaultUnit) {
  if (text == "OFF")
    return ParseFrequency(text, hz, defaultUnit);
  double value = 0;
  int used = 0;
  {
    CCLocaleScope cLocale;
    if (std::sscanf(text.c_str(), " %lf%n", &value, &used) != 1)
      return false;
  }
  std::string_view rest = std::string_view(text).substr(static_cast<std::size_t>(used));
  while (!rest.empty() && IsBlank(rest.front()))
    rest.remove_prefix(1);
  while (!rest.empty() && IsBlank(rest.back()))
    rest.remove_suffix(1);
  char unit = defaultUnit;
  if (!rest.empty()) {
    unit = rest.front();
    if (unit != 'k' && unit != 'K' && unit != 'M' && unit != 'H')
      return false;
    if (unit != 'H')
      rest.remove_prefix(1);
    if (!rest.empty() && rest != "Hz")
      return false;
  }
  double scale = unit == 'k' || unit == 'K' ? 1000.0 : unit == 'M' ? 1000000.0 : 1.0;
  double scaled = value * scale;
  if (!std::isfinite(scaled) || std::signbit(scaled) || scaled >= 4294967296.0)
    return false;
  if (hz)
    *hz = LowBits(scaled);
  return true;
}

std::string FormatFrequency(uint32_t hz, const char* zeroText) {
  if (hz == 0)
    return zeroText ? zeroText : "OFF";
  if (hz < 1000)
    return std::to_string(hz) + " Hz";
  if (hz < 1000000)
    return FormatG(hz * 0.001, "kHz");
  return FormatG(hz * 0.000001, "MHz");
}

std::string FormatFrequencyExact(uint32_t hz) {
  std::string shown = FormatFrequency(hz);
  uint32_t back = 0;
  if (ParseFrequency(shown, &back) && back == hz)
    return shown;
  // Ten significant digits hold any 32-bit count of hertz in either unit.
  constexpr int kAllDigits = 10;
  if (hz < 1000000)
    return FormatG(hz * 0.001, "kHz", kAllDigits);
  return FormatG(hz * 0.000001, "MHz", kAllDigits);
}

std::string FormatDuration(double seconds) {
  if (seconds < 0.000001)
    return FormatG(seconds * 1000000000, "ns");
  if (seconds < 0.001)
    return FormatG(seconds * 1000000, "us");
  if (seconds < 1)
    return FormatG(seconds * 1000, "ms");
  return FormatG(seconds, "s");
}

bool ExtractToken(const std::string* text, int index, std::string_view delimiters, std::string& token) {
  if (!text)
    return false;
  std::size_t start = 0;
  for (int skipped = 0; skipped < index; ++skipped) {
    std::size_t end = text->find_first_of(delimiters, start);
    if (end == std::string::npos) {
      token.clear();
      return false;
    }
    start = end + 1;
  }
  std::size_t end = text->find_first_of(delimiters, start);
  token = text->substr(start, end == std::string::npos ? std::string::npos : end - start);
  return true;
}

bool ReadTextFile(const std::string& path, std::string& text) {
  if (!ReadWholeFileReported(path, text))
    return false;
  ReplaceAll(text, "\r\n", "\n");
  ReplaceAll(text, "\\\n", "  ");
  return true;
}

void StripQuotes(std::string& text) {
  // A lone quote character is not a quoted text: it stays.
  if (text.size() < 2 || (text.front() != '"' && text.front() != '\''))
    return;
  if (text.back() == text.front())
    text = text.substr(1, text.size() - 2);
}

void NormalizeWhitespace(std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first]))
    ++first;
  std::size_t last = text.size();
  while (last > first && IsBlank(text[last - 1]))
    --last;
  text = text.substr(first, last - first);
  ReplaceAll(text, "\n", ";");
  ReplaceAll(text, "\t", " ");
  ReplaceAll(text, ";", "; ");
  ReplaceUntilGone(text, "  ", " ");
  ReplaceUntilGone(text, "; ; ", "; ");
}

std::string EscapeMarkdown(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (std::string_view("\\`*_[]<>|#~&").find(c) != std::string_view::npos)
      out += '\\';
    out += c;
  }
  return out;
}
