// newscout: checks the maker's web server for a newer installation package.
#include <QApplication>
#include <QCoreApplication>
#include <QNetworkProxyFactory>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/ports.h"
#include "newscout/consoleui.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscoutsettings.h"
#include "newscout/widgetui.h"

namespace {

std::vector<std::string> Arguments() {
  QStringList all = QCoreApplication::arguments();
  std::vector<std::string> args;
  for (qsizetype i = 1; i < all.size(); ++i)
    args.push_back(all[i].toStdString());
  return args;
}

int RunChecker(INewscoutUi& ui, IMessagePort& messages) {
  CScopedPorts ports(CPorts{&messages, nullptr, nullptr});
  if (const char* folder = std::getenv("NEWSCOUT_CONFIG_DIR"); folder && *folder)
    RedirectSettingsFolder(folder);
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  CNewscoutApp checker(ui);
  return checker.Run(CNewscoutCommandLine::Parse(Arguments()), QCoreApplication::applicationDirPath().toStdString());
}

// Decided before any Qt application exists, since only a windowed run needs a display.
bool WantsConsole(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return CNewscoutCommandLine::Parse(args).console;
}

}  // namespace

int main(int argc, char** argv) {
  SetProcessCatalog(ECatalog::Newscout);
  if (WantsConsole(argc, argv)) {
    QCoreApplication app(argc, argv);
    CConsoleUi ui(std::cout);
    return RunChecker(ui, ui);
  }
  QApplication app(argc, argv);
  CWidgetUi ui;
  return RunChecker(ui, ui);
}
