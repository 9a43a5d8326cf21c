// Writes the user's manual as a PDF from its HTML text: makemanual in.html out.pdf
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 3)
    return 2;
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly))
    return 1;
  QTextDocument document;
  document.setHtml(QString::fromUtf8(in.readAll()));
  QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setTitle(QStringLiteral("Kivo Vam User's Manual"));
  writer.setCreator(QStringLiteral("Halvora"));
  writer.setResolution(300);
  document.setPageSize(QSizeF(writer.width(), writer.height()));
  QFont font = document.defaultFont();
  font.setPointSizeF(11.0 * 300 / 96);
  document.setDefaultFont(font);
  document.print(&writer);
  return 0;
}
