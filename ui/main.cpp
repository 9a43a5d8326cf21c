// kivovam: the desktop program.
#include <QApplication>
#include <QIcon>
#include <string>
#include <vector>

#include "ui/desktopprogram.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Every window, the About box included, takes the program's icon from here; the
  // sizes are the ones the desktop entry installs, so the menu and the window agree.
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/kivovam/icon-%1.png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(icon);
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunDesktopProgram(application, args);
}
