// The schedule of automatic checks.
#include "newscout/checkschedule.h"

#include <QNetworkInformation>
#include <cctype>
#include <ctime>

bool CCheckSchedule::IsCheckDue(const CNewscoutDate& now, std::uint32_t tick, bool& showGui) {
  showGui = false;
  if (m_profile.autoCheck == 0 || !PeriodElapsed(now))
    return false;
  bool blocked = NearSyncTime(tick);
  m_settings.WriteSyncTime(tick);
  if (blocked)
    return false;
  return ConnectAllowed(now, showGui);
}

bool CCheckSchedule::PeriodElapsed(const CNewscoutDate& now) const {
  const CNewscoutDate& last = m_profile.lastRunDate;
  if (last.year != now.year || last.month != now.month)
    return true;
  if (last.day == now.day)
    return false;
  char letter = m_profile.period.empty() ? 'D' : static_cast<char>(std::toupper(static_cast<unsigned char>(m_profile.period[0])));
  if (letter == 'W') {
    // Still the same Sunday-to-Saturday week as the last check.
    bool sameWeek = now.day - last.day < 7 && last.dayOfWeek < now.dayOfWeek;
    return !sameWeek;
  }
  // Once a month waits for a new calendar month.
  return letter != 'M';
}

bool CCheckSchedule::NearSyncTime(std::uint32_t tick) const {
  // Unsigned, as the tick count itself: near the count's wrap-around (and for
  // a sync time never written, 0) the window is empty.
  std::uint32_t low = m_profile.syncTime - kSyncWindow;
  std::uint32_t high = m_profile.syncTime + kSyncWindow;
  return tick > low && tick < high;
}

bool CCheckSchedule::ConnectAllowed(const CNewscoutDate& now, bool& showGui) {
  switch (m_profile.connectMode) {
    case 0:
      switch (askConnect ? askConnect() : EConnectChoice::NotNow) {
        case EConnectChoice::Connect:
          return true;
        case EConnectChoice::Options:
          showGui = true;
          return true;
        case EConnectChoice::NotToday:
          m_settings.WriteLastRun(now);
          return false;
        case EConnectChoice::NotNow:
          return false;
      }
      return false;
    case 1:
      return isOnline ? isOnline() : SystemReportsInternet();
    default:
      return true;
  }
}

std::uint32_t SystemTickCount() {
  timespec since{};
  clock_gettime(CLOCK_BOOTTIME, &since);
  auto ms = static_cast<std::uint64_t>(since.tv_sec) * 1000u + static_cast<std::uint64_t>(since.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

bool SystemReportsInternet() {
  if (!QNetworkInformation::instance() &&
      !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
    return true;
  switch (QNetworkInformation::instance()->reachability()) {
    case QNetworkInformation::Reachability::Disconnected:
    case QNetworkInformation::Reachability::Local:
    case QNetworkInformation::Reachability::Site:
      return false;
    default:
      return true;
  }
}
