// CCheckSchedule: whether an automatic start is the moment to contact the server.
#pragma once

#include <cstdint>
#include <functional>

#include "newscout/newscoutprofile.h"
#include "newscout/newscoutsettings.h"

enum class EConnectChoice { Connect, NotNow, NotToday, Options };

class CCheckSchedule {
 public:
  CCheckSchedule(CNewscoutProfile& profile, CNewscoutSettings& settings) : m_profile(profile), m_settings(settings) {}

  // Asked in connect mode 0 (the connect prompt).
  std::function<EConnectChoice()> askConnect;
  // Asked in connect mode 1.
  std::function<bool()> isOnline;

  // `now` is the local time, `tick` the system's millisecond count. The sync
  // time is recorded at every test that gets that far. `showGui` is set when
  // the user asks for the options from the connect prompt.
  bool IsCheckDue(const CNewscoutDate& now, std::uint32_t tick, bool& showGui);

  // Checkers started within this many milliseconds of each other leave the
  // query to the first one.
  static constexpr std::uint32_t kSyncWindow = 10000;

 private:
  bool PeriodElapsed(const CNewscoutDate& now) const;
  bool NearSyncTime(std::uint32_t tick) const;
  bool ConnectAllowed(const CNewscoutDate& now, bool& showGui);

  CNewscoutProfile& m_profile;
  CNewscoutSettings& m_settings;
};

// Milliseconds since the system started, sleep included, in 32 bits.
std::uint32_t SystemTickCount();
// Whether the system knows of an Internet connection; true when it cannot tell.
bool SystemReportsInternet();
