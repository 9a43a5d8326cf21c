// Version checker command line.
#include "newscout/newscoutcommandline.h"

#include <QString>
#include <filesystem>

namespace {

bool IsFlag(const std::string& arg) {
  if (arg.size() < 2)
    return false;
  if (arg[0] == '-')
    return true;
  if (arg[0] != '/')
    return false;
  std::error_code ignored;
  return arg.find('/', 1) == std::string::npos && !std::filesystem::exists(arg, ignored);
}

bool Is(const QString& name, const char* word, qsizetype letters) {
  return name.left(letters).compare(QLatin1String(word).left(letters), Qt::CaseInsensitive) == 0 &&
         name.size() >= letters;
}

}  // namespace

CNewscoutCommandLine CNewscoutCommandLine::Parse(const std::vector<std::string>& args) {
  CNewscoutCommandLine line;
  for (const std::string& arg : args) {
    if (!IsFlag(arg)) {
      if (line.profilePath.empty())
        line.profilePath = arg;
      continue;
    }
    QString name = QString::fromStdString(arg.substr(1));
    if (Is(name, "g", 1))
      line.gui = true;
    else if (Is(name, "f", 1))
      line.force = true;
    else if (Is(name, "noupdmsg", 8))
      line.noUpdateMessage = true;
    else if (name.compare(QLatin1String("console"), Qt::CaseInsensitive) == 0)
      line.console = true;
  }
  return line;
}
