// kivovam: the desktop program.
#include <QApplication>
#include <string>
#include <vector>

#include "ui/desktopprogram.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunDesktopProgram(application, args);
}
