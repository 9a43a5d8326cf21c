// The settings of the version checker on QSettings.
#include "newscout/newscoutsettings.h"

#include <QRegularExpression>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

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

// The store of one scope, opened on the group of the key path; none when the
// key path names no place.
std::unique_ptr<QSettings> OpenStore(const std::string& keyPath, QSettings::Scope scope) {
  CSettingsLocation location = CNewscoutSettings::LocationOf(keyPath);
  if (!location.valid)
    return nullptr;
  auto store = std::make_unique<QSettings>(QSettings::NativeFormat, scope, QString::fromStdString(location.organization),
                                           QString::fromStdString(location.application));
  // The user's store must not show the system-wide values as its own.
  store->setFallbacksEnabled(false);
  if (!location.group.empty())
    store->beginGroup(QString::fromStdString(location.group));
  return store;
}

std::optional<std::string> ReadText(QSettings& store, const char* name) {
  QVariant value = store.value(QString::fromLatin1(name));
  if (!value.isValid())
    return std::nullopt;
  // The INI form splits a text with commas into a list.
  if (value.userType() == QMetaType::QStringList)
    return value.toStringList().join(QLatin1Char(',')).toStdString();
  if (!value.canConvert<QString>())
    return std::nullopt;
  return value.toString().toStdString();
}

// An integer value; text that is not a whole unsigned number counts as missing.
std::optional<std::uint32_t> ReadNumber(QSettings& store, const char* name) {
  QVariant value = store.value(QString::fromLatin1(name));
  if (!value.isValid())
    return std::nullopt;
  bool ok = false;
  std::uint32_t number = value.toString().trimmed().toUInt(&ok);
  if (!ok)
    return std::nullopt;
  return number;
}

// "%i": decimal, or hexadecimal after 0x, or octal after a leading 0.
std::uint32_t ReadCNumber(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 0));
}

bool Commit(QSettings& store) {
  store.sync();
  return store.status() == QSettings::NoError;
}

bool WriteValues(const std::string& keyPath, const std::vector<std::pair<const char*, QVariant>>& values) {
  auto store = OpenStore(keyPath, QSettings::UserScope);
  if (!store || !store->isWritable())
    return false;
  for (const auto& [name, value] : values)
    store->setValue(QString::fromLatin1(name), value);
  return Commit(*store);
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
  if (auto system = OpenStore(p.registryKeyPath, QSettings::SystemScope)) {
    if (auto text = ReadText(*system, kPackageDate))
      p.packageDate = CNewscoutDate::ParseStoredText(*text);
    p.packageSize = ReadCNumber(ReadText(*system, kPackageSize).value_or("0"));
  }
  auto user = OpenStore(p.registryKeyPath, QSettings::UserScope);
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
  return WriteValues(p.registryKeyPath, {{kAutoCheck, p.autoCheck},
                                         {kAuthDialog, p.authDialog},
                                         {kConnectMode, p.connectMode},
                                         {kPeriod, QString::fromStdString(p.period)}});
}

bool CNewscoutSettings::WriteSyncTime(std::uint32_t tick) {
  m_profile.syncTime = tick;
  return WriteValues(m_profile.registryKeyPath, {{kSyncTime, tick}});
}

bool CNewscoutSettings::WriteLastRun(const CNewscoutDate& now) {
  CNewscoutDate date = now;
  date.millisecond = 0;
  m_profile.lastRunDate = date;
  return WriteValues(m_profile.registryKeyPath, {{kLastRun, QString::fromStdString(date.ToText())}});
}

bool CNewscoutSettings::WriteIgnoreDate(const CNewscoutDate& date) {
  m_profile.ignoreDate = date;
  return WriteValues(m_profile.registryKeyPath, {{kIgnore, QString::fromStdString(date.ToText())}});
}

void RedirectSettingsFolder(const std::string& folder) {
  QString base = QString::fromStdString(folder);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, base + QStringLiteral("/user"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, base + QStringLiteral("/system"));
}
