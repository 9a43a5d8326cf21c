// kvdocgen: writes the documents the Help menu opens. A tool of the build,
// not installed.
//
//   kvdocgen render [--title TEXT] [--images FOLDER]... -o OUT.pdf INPUT...
//       Markdown files (joined in order) or one HTML file to PDF.
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

#include "render.h"

namespace {

int Usage() {
  std::fputs("usage: kvdocgen render [--title TEXT] [--images FOLDER]... -o OUT.pdf INPUT...\n", stderr);
  return 2;
}

int Render(const QStringList& args) {
  CRenderJob job;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == QLatin1String("--title") && hasValue)
      job.title = args[++i];
    else if (arg == QLatin1String("--images") && hasValue)
      job.imageFolders << args[++i];
    else if (arg == QLatin1String("-o") && hasValue)
      job.output = args[++i];
    else if (arg.startsWith(QLatin1Char('-')))
      return Usage();
    else
      job.inputs << arg;
  }
  if (job.output.isEmpty() || job.inputs.isEmpty())
    return Usage();
  QString error;
  QStringList notes;
  bool written = RenderToPdf(job, error, notes);
  for (const QString& note : notes)
    std::fprintf(stderr, "kvdocgen: %s: %s\n", qPrintable(job.output), qPrintable(note));
  if (!written) {
    std::fprintf(stderr, "kvdocgen: %s\n", qPrintable(error));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Fonts and the PDF writer need the application object, never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QStringList args = QGuiApplication::arguments().mid(1);
  if (args.isEmpty())
    return Usage();
  QString command = args.takeFirst();
  if (command == QLatin1String("render"))
    return Render(args);
  return Usage();
}
