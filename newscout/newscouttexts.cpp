// Dialog texts of the version checker.
#include "newscout/newscouttexts.h"

#include <QDateTime>
#include <QLocale>
#include <cctype>
#include <vector>

#include "base/messagecatalog.h"

std::string NsCatalogText(int id) { return std::string(CatalogText(id, ECatalog::Newscout)); }

std::string ApplyCaptionRule(std::string caption, const std::string& productName) {
  static const std::string maker = "Halvora";
  if (productName.empty())
    return caption;
  for (std::size_t at = caption.find(maker); at != std::string::npos;
       at = caption.find(maker, at + productName.size()))
    caption.replace(at, maker.size(), productName);
  return caption;
}

std::string StripAccelerator(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size())
      ++i;
    plain += text[i];
  }
  return plain;
}

std::string NewVersionText(const std::string& serverHost, const std::string& productName,
                           const std::string& serverVersion) {
  std::string version;
  if (!serverVersion.empty())
    version = FormatPrintfText(NsCatalogText(NsText::kVersionInsert), {serverVersion});
  return FormatMessageText(NsCatalogText(NsText::kNewVersion), {serverHost, productName, version});
}

std::string ConnectPromptText(const std::string& serverHost, const std::string& productName) {
  return FormatMessageText(NsCatalogText(NsText::kConnectPrompt), {serverHost, productName});
}

int PeriodIndex(const std::string& period) {
  char letter = period.empty() ? 'D' : static_cast<char>(std::toupper(static_cast<unsigned char>(period[0])));
  if (letter == 'M')
    return 2;
  return letter == 'W' ? 1 : 0;
}

std::string PeriodLetter(int index) {
  if (index == 2)
    return "M";
  return index == 1 ? "W" : "D";
}

std::string LastRunText(const CNewscoutDate& lastRun) {
  if (!lastRun.IsValid())
    return NsCatalogText(NsText::kFirstTime);
  QDateTime when(QDate(lastRun.year, lastRun.month, lastRun.day),
                 QTime(lastRun.hour, lastRun.minute, lastRun.second, lastRun.millisecond));
  return QLocale::system().toString(when, QLocale::ShortFormat).toStdString();
}

std::string FileVersionText(std::string_view version) {
  std::vector<unsigned> parts;
  unsigned current = 0;
  bool digits = false;
  for (char c : version) {
    if (c >= '0' && c <= '9') {
      current = current * 10 + static_cast<unsigned>(c - '0');
      digits = true;
    } else if (c == '.' && digits && parts.size() < 3) {
      parts.push_back(current & 0xFFFF);
      current = 0;
      digits = false;
    } else {
      return "0.1";
    }
  }
  if (!digits)
    return "0.1";
  parts.push_back(current & 0xFFFF);
  parts.resize(4, 0);
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
         std::to_string(parts[3]);
}

std::string BuildVersionText() {
#ifdef NEWSCOUT_PROJECT_VERSION
  return FileVersionText(NEWSCOUT_PROJECT_VERSION);
#else
  return FileVersionText("");
#endif
}

std::string BuildDateText() { return __DATE__ " " __TIME__; }
