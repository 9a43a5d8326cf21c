// kivovam-cli map: the channel map of a project drawn to an SVG or PNG file.
#include <cstdio>
#include <memory>

#include "app/startup.h"
#include "base/ports.h"
#include "cli/cli.h"
#include "knowledge/knowledgebase.h"
#include "project/channelmap.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

#ifdef KV_CLI_MAP
#include <QByteArray>
#include <QGuiApplication>

#include "mapdraw/channelmapdraw.h"
#endif

namespace {

#ifdef KV_CLI_MAP
// stderr carries the driver's messages in their one form; Qt's own notes
// (a runtime folder it made up, a font it substituted) are not among them.
void DropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "kivovam-cli: %s\n", text.toLocal8Bit().constData());
}
#endif

// Positional arguments and "-o FILE"; false (the usage error reported) for anything else.
bool ParseMapArgs(const std::vector<std::string>& list, std::string& project, std::string& out, int& status) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == "-o") {
      if (i + 1 >= list.size()) {
        status = UsageError("-o needs a value");
        return false;
      }
      out = list[++i];
    } else if (list[i].size() > 1 && list[i][0] == '-') {
      status = UsageError("unknown option " + list[i]);
      return false;
    } else {
      positional.push_back(list[i]);
    }
  }
  if (positional.size() != 1 || out.empty()) {
    status = UsageError("map takes one PROJECT and -o FILE (a .svg or .png file)");
    return false;
  }
  project = positional[0];
  return true;
}

}  // namespace

int RunMap(CCliContext& context) {
  std::string project, out;
  int status = kExitOk;
  if (!ParseMapArgs(context.args, project, out, status))
    return status;
  context.result = {{"file", out}, {"ok", false}};
#ifndef KV_CLI_MAP
  return DriverError("this kivovam-cli was built without Qt, which draws the channel map");
#else
  if (MapFormatOf(out) == EMapFormat::kNone)
    return UsageError("map writes a .svg or a .png file, by the name's extension: " + out);
  CKnowledgeBase kb;
  if (!LoadKnowledgeBase(kb, LoadOptionsOf(context)))
    return kExitKnowledge;
  CNotesModel notes;
  CProjDoc doc(kb, &context.options, &notes);
  if (!doc.OnOpenDocument(project))
    return kExitFailed;
  // The fonts need Qt's application object; without a display of its own the
  // map is drawn offscreen, so a build machine needs none.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(DropQtNotes);
  int argc = 1;
  char name[] = "kivovam-cli";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  constexpr int kMsgMapNotWritten = 4099;
  std::string reason;
  if (!ExportChannelMap(BuildChannelMap(doc), out, reason)) {
    ShowMessage(kMsgMapNotWritten, EMessageKind::Error, {out, reason});
    return kExitFailed;
  }
  context.result["ok"] = true;
  return kExitOk;
#endif
}
