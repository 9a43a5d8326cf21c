// Calendar records: comparison, validity, day of week and the text forms.
#include "newscout/newscoutdate.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <tuple>

namespace {

// Reads "%hd/%hd/%hd %hd:%hd:%f" the way the C scanner would, counting the
// numbers it got, but refusing signs and values a short cannot hold instead of
// wrapping them.
class CDateScanner {
 public:
  explicit CDateScanner(std::string_view text) : m_text(text) {}

  bool Number(int& value) {
    SkipSpaces();
    std::size_t start = m_pos;
    long long v = 0;
    while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
      v = v * 10 + (m_text[m_pos] - '0');
      if (v > std::numeric_limits<std::int16_t>::max())
        return false;
      ++m_pos;
    }
    value = static_cast<int>(v);
    return m_pos > start;
  }

  bool Seconds(double& value) {
    SkipSpaces();
    std::size_t start = m_pos;
    while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
      ++m_pos;
    std::size_t digits = m_pos - start;
    if (m_pos < m_text.size() && m_text[m_pos] == '.') {
      ++m_pos;
      while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
        ++m_pos;
        ++digits;
      }
    }
    if (digits == 0)
      return false;
    value = std::strtod(std::string(m_text.substr(start, m_pos - start)).c_str(), nullptr);
    return true;
  }

  bool Literal(char c) {
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }

  void SkipSpaces() {
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
      ++m_pos;
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  std::string_view m_text;
  std::size_t m_pos = 0;
};

struct CScannedDate {
  int count = 0;
  int fields[5] = {0, 0, 0, 0, 0};  // year, month, day, hour, minute
  double seconds = 0.0;
};

CScannedDate ScanDate(std::string_view text) {
  CDateScanner scan(text);
  CScannedDate result;
  const char separators[] = {'/', '/', ' ', ':', ':'};
  for (int i = 0; i < 5; ++i) {
    if (!scan.Number(result.fields[i]))
      return result;
    ++result.count;
    if (separators[i] == ' ')
      scan.SkipSpaces();
    else if (!scan.Literal(separators[i]))
      return result;
  }
  if (scan.Seconds(result.seconds))
    ++result.count;
  return result;
}

std::chrono::year_month_day CivilDay(const CNewscoutDate& d) {
  return std::chrono::year_month_day{std::chrono::year{d.year}, std::chrono::month{d.month},
                                     std::chrono::day{d.day}};
}

}  // namespace

bool CNewscoutDate::IsZero() const {
  return year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0 && millisecond == 0;
}

bool CNewscoutDate::IsValid() const {
  // The range of dates the settings store has always accepted.
  if (year < 1601 || month < 1 || month > 12 || day < 1)
    return false;
  if (!CivilDay(*this).ok())
    return false;
  return hour < 24 && minute < 60 && second < 60 && millisecond < 1000;
}

int CNewscoutDate::Compare(const CNewscoutDate& a, const CNewscoutDate& b) {
  auto key = [](const CNewscoutDate& d) {
    return std::tie(d.year, d.month, d.day, d.hour, d.minute, d.second, d.millisecond);
  };
  if (key(a) < key(b))
    return -1;
  return key(b) < key(a) ? 1 : 0;
}

std::string CNewscoutDate::ToText() const {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, "%d/%d/%d", year, month, day);
  // The milliseconds only read back after a time of day, so they bring one along.
  if (hour != 0 || minute != 0 || second != 0 || millisecond != 0)
    n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), " %02d:%02d:%02d", hour, minute,
                       second);
  if (millisecond != 0)
    std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), ".%03d", millisecond);
  return buffer;
}

bool CNewscoutDate::ParseServerText(std::string_view text, CNewscoutDate& date) {
  CScannedDate scanned = ScanDate(text);
  if (scanned.count < 3)
    return false;
  CNewscoutDate result;
  int y = scanned.fields[0];
  result.year = static_cast<std::uint16_t>(y < 70 ? y + 2000 : y);
  result.month = static_cast<std::uint16_t>(scanned.fields[1]);
  result.day = static_cast<std::uint16_t>(scanned.fields[2]);
  result.hour = static_cast<std::uint16_t>(scanned.fields[3]);
  result.minute = static_cast<std::uint16_t>(scanned.fields[4]);
  if (scanned.count == 6) {
    auto ms = std::llround(scanned.seconds * 1000.0);
    if (ms > std::numeric_limits<std::uint16_t>::max() * 1000LL)
      ms = 0;
    result.second = static_cast<std::uint16_t>(ms / 1000);
    result.millisecond = static_cast<std::uint16_t>(ms % 1000);
  }
  // Month 13 or hour 25 would compare as later than any real date, and could
  // not be stored and read back.
  if (!result.IsValid())
    return false;
  date = result;
  return true;
}

CNewscoutDate CNewscoutDate::ParseStoredText(std::string_view text) {
  CNewscoutDate date;
  if (!ParseServerText(text, date))
    return CNewscoutDate{};
  return date.Normalised();
}

CNewscoutDate CNewscoutDate::Normalised() const {
  if (!IsValid())
    return CNewscoutDate{};
  CNewscoutDate result = *this;
  result.dayOfWeek = static_cast<std::uint16_t>(std::chrono::weekday{std::chrono::sys_days{CivilDay(*this)}}.c_encoding());
  return result;
}

CNewscoutDate CNewscoutDate::LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CNewscoutDate date;
  date.year = static_cast<std::uint16_t>(local.tm_year + 1900);
  date.month = static_cast<std::uint16_t>(local.tm_mon + 1);
  date.day = static_cast<std::uint16_t>(local.tm_mday);
  date.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
  date.hour = static_cast<std::uint16_t>(local.tm_hour);
  date.minute = static_cast<std::uint16_t>(local.tm_min);
  date.second = static_cast<std::uint16_t>(local.tm_sec);
  return date;
}
