// Shared text helpers with the C library's number reading and "%g" formatting.
#include "app/texthelpers.h"

#include <locale.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/ports.h"

namespace {

constexpr std::uintmax_t kMaxTextFileSize = 1024 * 1024;

// The GUI sets the user's locale at start; frequency texts are always written
// with a decimal point, so number conversion runs in the "C" locale.
class CCLocaleScope {
 public:
  CCLocaleScope() : m_locale(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
    if (m_locale)
      m_previous = uselocale(m_locale);
  }
  ~CCLocaleScope() {
    if (m_locale) {
      uselocale(m_previous);
      freelocale(m_locale);
    }
  }
  CCLocaleScope(const CCLocaleScope&) = delete;
  CCLocaleScope& operator=(const CCLocaleScope&) = delete;

 private:
  locale_t m_locale;
  locale_t m_previous = LC_GLOBAL_LOCALE;
};

std::string FormatG(double value, const char* suffix) {
  CCLocaleScope cLocale;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g %s", value, suffix);
  return buffer;
}

double UnitScale(char unit) {
  if (unit == 'K' || unit == 'k')
    return 1000.0;
  if (unit == 'M')
    return 1000000.0;
  return 1.0;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t hit = text.find(from); hit != std::string::npos; hit = text.find(from, start)) {
    out.append(text, start, hit - start);
    out.append(to);
    start = hit + from.size();
  }
  out.append(text, start);
  text.swap(out);
}

void ReplaceUntilNone(std::string& text, std::string_view from, std::string_view to) {
  while (text.find(from) != std::string::npos)
    ReplaceAll(text, from, to);
}

}  // namespace

bool ParseFrequency(const std::string& text, uint32_t* hz, char defaultUnit) {
  if (text == "OFF") {
    if (hz)
      *hz = 0;
    return true;
  }
  double value = 0;
  char unit = 0;
  int fields = 0;
  {
    CCLocaleScope cLocale;
    fields = std::sscanf(text.c_str(), "%lf %c", &value, &unit);
  }
  if (fields < 1)
    return false;
  if (fields < 2)
    unit = defaultUnit;
  value = std::trunc(value * UnitScale(unit));
  // Beyond 64 bits (and for "inf" or "nan") there are no low 32 bits to keep.
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
    return false;
  if (hz)
    *hz = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
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

std::string FormatDuration(double seconds) {
  if (seconds < 0.000001)
    return FormatG(seconds * 1000000000.0, "ns");
  if (seconds < 0.001)
    return FormatG(seconds * 1000000.0, "us");
  if (seconds < 1)
    return FormatG(seconds * 1000.0, "ms");
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
  text.clear();
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    ShowFileError(path, ec.message());
    return false;
  }
  if (size > kMaxTextFileSize) {
    ShowMessage(4002, EMessageKind::Warning, {path});
    return false;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ShowFileError(path, errno != 0 ? std::strerror(errno) : "the file cannot be opened");
    return false;
  }
  // Read one byte past the limit: the file may have grown since its size was read.
  std::string bytes(kMaxTextFileSize + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) {
    ShowFileError(path, "the file cannot be read");
    return false;
  }
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > kMaxTextFileSize) {
    ShowMessage(4002, EMessageKind::Warning, {path});
    return false;
  }
  ReplaceAll(bytes, "\r\n", "\n");
  ReplaceAll(bytes, "\\\n", "  ");
  text.swap(bytes);
  return true;
}

void StripQuotes(std::string& text) {
  // A lone quote character is no quoted text; it stays as it is.
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    text = text.substr(1, text.size() - 2);
}

void NormalizeWhitespace(std::string& text) {
  const char* blanks = " \t\n\v\f\r";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  text = text.substr(first, text.find_last_not_of(blanks) - first + 1);
  ReplaceAll(text, "\n", ";");
  ReplaceAll(text, "\t", " ");
  ReplaceAll(text, ";", "; ");
  ReplaceUntilNone(text, "  ", " ");
  ReplaceUntilNone(text, "; ; ", "; ");
}
