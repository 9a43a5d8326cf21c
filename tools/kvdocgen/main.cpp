// kvdocgen: writes the documents the Help menu opens. A tool of the build,
// not installed.
//
//   kvdocgen render [--title TEXT] [--images FOLDER]... -o OUT.pdf INPUT...
//       Markdown files (joined in order) or one HTML file to PDF.
//   kvdocgen registers KIVOCFG.INI OUT.md
//       The register reference, written from the engine-configuration description.
//   kvdocgen messages ADVICE OUT.md
//       The manual's table of messages: the catalog's texts with the advice.
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "app/messagelist.h"
#include "base/consoleports.h"
#include "base/filereader.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/cfgreference.h"
#include "render.h"

namespace {

int Usage() {
  std::fputs(
      "usage: kvdocgen render [--title TEXT] [--images FOLDER]... -o OUT.pdf INPUT...\n"
      "       kvdocgen registers KIVOCFG.INI OUT.md\n"
      "       kvdocgen messages ADVICE OUT.md\n",
      stderr);
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

bool WriteText(const QString& path, const std::string& text) {
  std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "kvdocgen: %s: not written\n", qPrintable(path));
    return false;
  }
  return true;
}

int Registers(const QStringList& args) {
  if (args.size() != 2)
    return Usage();
  CKivoCfgDesc desc;
  if (!desc.Load(args[0].toStdString()))
    return 1;  // the reader has said why
  return WriteText(args[1], WriteRegisterReference(desc, QFileInfo(args[0]).fileName().toStdString())) ? 0 : 1;
}

// Advice that does not fit the catalog is named here; the tests refuse it.
int Messages(const QStringList& args) {
  if (args.size() != 2)
    return Usage();
  std::string text, reason;
  if (ReadWholeFile(args[0].toStdString(), text, reason) != EFileRead::kRead) {
    std::fprintf(stderr, "kvdocgen: %s: %s\n", qPrintable(args[0]), reason.empty() ? "too big" : reason.c_str());
    return 1;
  }
  CMessageAdvice advice = ReadMessageAdvice(text);
  for (const std::string& problem : advice.problems)
    std::fprintf(stderr, "kvdocgen: %s: %s\n", qPrintable(args[0]), problem.c_str());
  return WriteText(args[1], WriteMessageList(advice)) ? 0 : 1;
}

}  // namespace

// Qt's remarks about the environment of a build (no runtime folder, no
// display) are no news to its log; anything else goes to stderr.
void FilterQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtFatalMsg && (text.startsWith(QLatin1String("QStandardPaths:")) ||
                             text.contains(QLatin1String("propagateSizeHints"))))
    return;
  std::fprintf(stderr, "kvdocgen: %s\n", qPrintable(text));
}

int main(int argc, char** argv) {
  // Fonts and the PDF writer need the application object, never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(FilterQtMessages);
  QGuiApplication application(argc, argv);
  QStringList args = QGuiApplication::arguments().mid(1);
  if (args.isEmpty())
    return Usage();
  QString command = args.takeFirst();
  CConsoleMessagePort messages("kvdocgen", std::cerr);
  CScopedPorts ports(CPorts{&messages, nullptr, nullptr});
  if (command == QLatin1String("render"))
    return Render(args);
  if (command == QLatin1String("registers"))
    return Registers(args);
  if (command == QLatin1String("messages"))
    return Messages(args);
  return Usage();
}
