// newscout: checks the maker's web server for a newer installation package.
#include <QApplication>
#include <QCoreApplication>
#include <QNetworkProxyFactory>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/messagecatalog.h"
#include "base/ports.h"
#include "newscout/consoleui.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscoutsettings.h"
#include "newscout/newscouttexts.h"
#include "newscout/widgetui.h"

namespace {

std::vector<std::string> Arguments() {
  QStringList all = QCoreApplication::arguments();
  std::vector<std::string> args;
  for (qsizetype i = 1; i < all.size(); ++i)
    args.push_back(all[i].toStdString());
  return args;
}

int RunChecker(INewscoutUi& ui, IMessagePort& messages, bool console) {
  CScopedPorts ports(CPorts{&messages, nullptr, nullptr});
  if (const char* folder = std::getenv("NEWSCOUT_CONFIG_DIR"); folder && *folder)
    RedirectSettingsFolder(folder);
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  CNewscoutApp checker(ui);
  CNewscoutCommandLine line = CNewscoutCommandLine::Parse(Arguments());
  line.console = console;  // also when there is no display
  return checker.Run(line, QCoreApplication::applicationDirPath().toStdString());
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  SetProcessCatalog(ECatalog::Newscout);
  // All of this is decided before any Qt application exists: help and version
  // need none, and only a windowed run needs a display.
  CNewscoutCommandLine line = CNewscoutCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help) {
    std::cout << NsCatalogText(NsText::kUsage) << '\n';
    return 0;
  }
  if (line.version) {
    std::cout << FormatMessageText(NsCatalogText(NsText::kProgramVersion), {BuildVersionText()}) << '\n';
    return 0;
  }
  if (line.console || !HasDisplay(&Environment)) {
    QCoreApplication app(argc, argv);
    CConsoleUi ui(std::cout);
    return RunChecker(ui, ui, true);
  }
  QApplication app(argc, argv);
  CWidgetUi ui;
  return RunChecker(ui, ui, false);
}


