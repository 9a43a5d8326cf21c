// Dialog texts of the version checker.
#include "newscout/newscouttexts.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
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

namespace {

bool IsHidden(char32_t c) {
  // C0, DEL and C1 controls, and the marks that reverse the direction of what follows.
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string DisplayableText(std::string_view text, bool keepLineBreaks) {
  QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  std::u32string kept;
  for (char32_t c : decoded.toUcs4()) {
    if (c == '\t')
      kept += U' ';
    else if (c == '\n' && keepLineBreaks)
      kept += c;
    else if (!IsHidden(c))
      kept += c;
  }
  return QString::fromUcs4(kept.data(), static_cast<qsizetype>(kept.size())).toStdString();
}

bool IsPrintableText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString() == text &&
         DisplayableText(text) == text;
}

std::string ShortenedText(std::string_view text, std::size_t maxChars) {
  std::u32string chars;
  for (char32_t c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUcs4())
    chars += c;
  if (chars.size() <= maxChars || maxChars == 0)
    return std::string(text);
  chars.resize(maxChars - 1);
  chars += U'\u2026';
  return QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size())).toStdString();
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
