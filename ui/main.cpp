// kivovam: the desktop program.
#include <QApplication>

#include "app/startup.h"
#include "knowledge/knowledgebase.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  CKnowledgeBase kb;
  if (!LoadKnowledgeBase(kb, LoadOptionsFromSettings()))
    return 1;
  CNotesModel notes;
  CProjDoc doc(kb, nullptr, &notes);
  doc.OnNewDocument();
  CMainFrame frame(doc);
  frame.show();
  return application.exec();
}
