// The settings of the version checker, in the files Qt's settings keep.
#include "newscout/newscoutsettings.h"

#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/settingsfile.h"

namespace {

constexpr char kPackageDate[] = "PACKAGE_DATE";
constexpr char kPackageSize[] = "PACKAGE_SIZE";
constexpr char kAutoCheck[] = "NEWSCOUT_AUTOCHECK";
constexpr char kAuthDialog[] = "NEWSCOUT_AUTHDIALOG";
constexpr char kConnectMode[] = "NEWSCOUT_CONNECTMODE";
constexpr char kPeriod[] = "NEWSCOUT_PERIOD";
constexpr char kLastRun[] = "NEWSCOUT_LASTRUN";
constexpr char kIgnore[] = "NEWSCOUT_IGNORE";
constexpr char kSyncTime[] = "NEWSCOUT_SYNCTIME";

std::string& RedirectedFolder() {
  static std::string folder;
  return folder;
}

// The file that Qt's settings would keep for the scope: below the user's
// settings folder, or the system's, or the redirected folder; "Org/App.conf",
// or "Org.conf" for a key path that names no application.
std::string StoreFile(const CSettingsLocation& location, bool system) {
  QString root;
  if (!RedirectedFolder().empty())
    root = QString::fromStdString(RedirectedFolder()) + (system ? QStringLiteral("/system") : QStringLiteral("/user"));
  else if (system)
    root = QLibraryInfo::path(QLibraryInfo::SettingsPath);
  else
    root = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  QString name = QString::fromStdString(location.organization);
  if (!location.application.empty())
    name += QLatin1Char('/') + QString::fromStdString(location.application);
  return (root + QLatin1Char('/') + name + QStringLiteral(".conf")).toStdString();
}

// The store of one scope and the group of the key path in it; none when the
// key path names no place. The file is read within bounds and never replaced
// (a FIFO or a device there leaves the defaults in force and saves nothing);
// its troubles show as false results, since the automatic check shows no boxes.
struct CStore {
  CSettingsFile file;
  std::string group;
};

std::unique_ptr<CStore> OpenStore(const std::string& keyPath, bool system) {
  CSettingsLocation location = CNewscoutSettings::LocationOf(keyPath);
  if (!location.valid)
    return nullptr;
  auto store = std::make_unique<CStore>(CStore{CSettingsFile(StoreFile(location, system), false), location.group});
  store->file.Refresh();
  return store;
}

std::optional<std::string> ReadText(const CStore& store, const char* name) {
  return store.file.Value(store.group, name);
}

// An integer value; text that is not a whole unsigned number counts as missing.
std::optional<std::uint32_t> ReadNumber(const CStore& store, const char* name) {
  std::optional<std::string> value = ReadText(store, name);
  if (!value)
    return std::nullopt;
  bool ok = false;
  std::uint32_t number = QString::fromStdString(*value).trimmed().toUInt(&ok);
  if (!ok)
    return std::nullopt;
  return number;
}

// "%i": decimal, or hexadecimal after 0x, or octal after a leading 0.
std::uint32_t ReadCNumber(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 0));
}

bool WriteValues(const std::string& keyPath, const std::vector<std::pair<const char*, std::string>>& values) {
  auto store = OpenStore(keyPath, false);
  if (!store)
    return false;
  bool written = true;
  for (const auto& [name, value] : values)
    written = store->file.SetValue(store->group, name, value) && written;
  return written;
}

}  // namespace

CSettingsLocation CNewscoutSettings::LocationOf(const std::string& keyPath) {
  QStringList parts = QString::fromStdString(keyPath).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
  for (QString& part : parts)
    part = part.trimmed();
  parts.removeAll(QString());
  if (parts.size() > 1 && parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
    parts.removeFirst();
  CSettingsLocation location;
  if (parts.isEmpty())
    return location;
  location.valid = true;
  location.organization = parts.takeFirst().toStdString();
  if (!parts.isEmpty())
    location.application = parts.takeFirst().toStdString();
  location.group = parts.join(QLatin1Char('/')).toStdString();
  return location;
}

bool CNewscoutSettings::LoadSettings() {
  CNewscoutProfile& p = m_profile;
  if (auto system = OpenStore(p.registryKeyPath, true)) {
    if (auto text = ReadText(*system, kPackageDate))
      p.packageDate = CNewscoutDate::ParseStoredText(*text);
    p.packageSize = ReadCNumber(ReadText(*system, kPackageSize).value_or("0"));
  }
  auto user = OpenStore(p.registryKeyPath, false);
  if (!user)
    return true;
  auto number = [&](const char* name, auto& member) {
    if (auto value = ReadNumber(*user, name))
      member = static_cast<std::remove_reference_t<decltype(member)>>(*value);
  };
  number(kAutoCheck, p.autoCheck);
  number(kAuthDialog, p.authDialog);
  number(kConnectMode, p.connectMode);
  number(kSyncTime, p.syncTime);
  p.period = ReadText(*user, kPeriod).value_or("");
  p.lastRunDate = CNewscoutDate::ParseStoredText(ReadText(*user, kLastRun).value_or(""));
  p.ignoreDate = CNewscoutDate::ParseStoredText(ReadText(*user, kIgnore).value_or(""));
  return true;
}

bool CNewscoutSettings::SaveSettings() {
  const CNewscoutProfile& p = m_profile;
  return WriteValues(p.registryKeyPath, {{kAutoCheck, std::to_string(p.autoCheck)},
                                         {kAuthDialog, std::to_string(p.authDialog)},
                                         {kConnectMode, std::to_string(p.connectMode)},
                                         {kPeriod, p.period}});
}

bool CNewscoutSettings::WriteSyncTime(std::uint32_t tick) {
  m_profile.syncTime = tick;
  return WriteValues(m_profile.registryKeyPath, {{kSyncTime, std::to_string(tick)}});
}

bool CNewscoutSettings::WriteLastRun(const CNewscoutDate& now) {
  CNewscoutDate date = now;
  date.millisecond = 0;
  m_profile.lastRunDate = date;
  return WriteValues(m_profile.registryKeyPath, {{kLastRun, date.ToText()}});
}

bool CNewscoutSettings::WriteIgnoreDate(const CNewscoutDate& date) {
  m_profile.ignoreDate = date;
  return WriteValues(m_profile.registryKeyPath, {{kIgnore, date.ToText()}});
}

void RedirectSettingsFolder(const std::string& folder) {
  RedirectedFolder() = folder;
  // Qt's own settings follow too, for whatever else keeps its values there.
  QString base = QString::fromStdString(folder);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, base + QStringLiteral("/user"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, base + QStringLiteral("/system"));
}
