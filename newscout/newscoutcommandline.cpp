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
    auto named = [&name](const char* word) { return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; };
    if (named("?") || named("h") || named("-help"))
      line.help = true;
    else if (named("-version"))
      line.version = true;
    else if (Is(name, "g", 1))
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

bool HasDisplay(const std::function<std::string(const char*)>& environment) {
  std::string platform = environment("QT_QPA_PLATFORM");
  platform = platform.substr(0, platform.find(':'));  // options follow a colon
  bool x11 = !environment("DISPLAY").empty();
  bool wayland = !environment("WAYLAND_DISPLAY").empty();
  if (platform.empty())
    return x11 || wayland;
  if (platform.rfind("xcb", 0) == 0)
    return x11;
  if (platform.rfind("wayland", 0) == 0)
    return wayland;
  // offscreen, minimal, vnc, eglfs, linuxfb: they bring or need no display server.
  return true;
}
