// The calendar record in which the version checker keeps every date, with its two text forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct CNewscoutDate {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t millisecond = 0;

  bool IsZero() const;
  // A real day of the Gregorian calendar with a real time of day.
  bool IsValid() const;

  // Field by field from the year down to the millisecond; the day of week is
  // not compared. Negative, zero or positive like strcmp.
  static int Compare(const CNewscoutDate& a, const CNewscoutDate& b);
  bool IsLaterThan(const CNewscoutDate& other) const { return Compare(*this, other) > 0; }

  // "Y/M/D", then " HH:MM:SS" and ".mmm" where the time is not midnight.
  std::string ToText() const;

  // "Y/M/D H:M:S.f" as a server writes it; at least the three date numbers must
  // be there. Two-digit years below 70 are taken as 20xx. A date that does not
  // exist (month 13, 31 April, hour 25) is not read. The day of week is left 0.
  static bool ParseServerText(std::string_view text, CNewscoutDate& date);
  // The same text as the settings hold it: a date that is not a real calendar
  // date reads as the zero date, a real one gets its day of week.
  static CNewscoutDate ParseStoredText(std::string_view text);

  // Checks the fields and fills in the day of week; the zero date when they do not
  // form a real date.
  CNewscoutDate Normalised() const;

  static CNewscoutDate LocalNow();
};
