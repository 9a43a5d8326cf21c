// CNewscoutProfile: what to ask which server, and the installed package and checker settings that go with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "newscout/newscoutdate.h"

// Why a profile could not be read.
enum class EProfileError { None, NoPath, NotAFile, NotOpened, Damaged, OtherKey, TooLarge };

class CNewscoutProfile {
 public:
  // From the profile file.
  std::string productName;
  std::string registryKeyPath;
  std::string serverHost;
  std::string objectPath;
  std::string downloadLink;  // a server answer may replace it
  int manualOnly = 0;

  // From the settings (CNewscoutSettings).
  CNewscoutDate packageDate;
  std::uint32_t packageSize = 0;
  int autoCheck = 1;
  int connectMode = 1;
  int authDialog = 1;
  std::string period;
  CNewscoutDate ignoreDate;
  CNewscoutDate lastRunDate;
  std::uint32_t syncTime = 0;

  // Reads the profile file, trying three times with a short random wait in
  // between, since an installer may be writing it. False leaves the profile as it was.
  bool LoadProfile(const std::string& path);
  // One reading of the file's bytes; false on a format error or texts that
  // are not printable (a profile written with another key).
  bool ReadProfileBytes(std::string_view bytes);
  EProfileError DecodeProfile(std::string_view bytes);
  // After a failed load: why, in a sentence for the user.
  EProfileError LoadError() const { return m_loadError; }
  std::string LoadErrorText() const;

  // The file's bytes for the profile's own texts, as the maker's tool writes them.
  std::string ProfileBytes(int formatVersion = 2) const;

  // Whether a package of this size and date is newer than the installed one.
  bool IsNewer(std::uint32_t size, const CNewscoutDate& date, bool honourIgnore) const;

  // A profile is a few hundred bytes; anything far larger is not one.
  static constexpr std::size_t kMaxProfileBytes = 1 << 20;

 private:
  EProfileError m_loadError = EProfileError::None;
  std::string m_loadDetail;
};
