// CNewscoutSettings: the installed-package values and the checker's own settings in the settings store.
#pragma once

#include <cstdint>
#include <string>

#include "newscout/newscoutprofile.h"

// Where a key path lives: the store's organisation and application, and the
// group inside that holds the values.
struct CSettingsLocation {
  std::string organization;
  std::string application;
  std::string group;
  bool valid = false;  // an empty key path names no place to keep anything
};

// The package values are read from the system-wide store, where the installer
// put them; the checker's values live in the user's store.
class CNewscoutSettings {
 public:
  explicit CNewscoutSettings(CNewscoutProfile& profile) : m_profile(profile) {}

  // Reads every value into the profile; a missing or unreadable value keeps its
  // default. Always succeeds.
  bool LoadSettings();
  // Writes the values of the main dialog; false when the store cannot be written.
  bool SaveSettings();
  bool WriteSyncTime(std::uint32_t tick);
  // Stores `now` with the milliseconds cleared as the time of the last check.
  bool WriteLastRun(const CNewscoutDate& now);
  bool WriteIgnoreDate(const CNewscoutDate& date);

  // Backslashes and slashes both separate components; a leading "Software" is
  // the registry's branch for programs and has no folder of its own here.
  static CSettingsLocation LocationOf(const std::string& keyPath);

 private:
  CNewscoutProfile& m_profile;
};

// Keeps the user's and the system-wide stores below `folder` ("user" and
// "system"), for portable installations, scripts and tests.
void RedirectSettingsFolder(const std::string& folder);
