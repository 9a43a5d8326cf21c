// The "Verbatim Block" page: the C text the generator copies into the source
// as it stands, and the switch for the external declarations after it.
#pragma once

#include <QString>

#include "ui/viewbase.h"

class CFindDialog;
class QCheckBox;
class QLabel;
class QsciScintilla;

class CViewVerbatim : public CViewBase {
  Q_OBJECT

 public:
  CViewVerbatim(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);

  void OnUpdate(int hint) override;
  void LoadControls() override;
  bool StoreControls(bool validate) override;
  void Print() override;

  QsciScintilla* Editor() const { return m_editor; }
  QCheckBox* ExternDeclsCheck() const { return m_externDecls; }
  QsciScintilla* DeclarationsBox() const { return m_declarations; }

  // Find (Ctrl+F) and Replace (Ctrl+H): the dialog over the editor.
  void ShowFind(bool replace);
  // F3, and Shift+F3 with `reverse`: the next match of what was looked for
  // last; the Find dialog when nothing was.
  bool FindNext(bool reverse);
  // Null until Find or Replace was asked for.
  CFindDialog* FindDialog() const { return m_findDialog; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowDeclarations();
  void EnableDeclarations(bool on);

  QsciScintilla* m_editor;
  QCheckBox* m_externDecls;
  QsciScintilla* m_declarations;
  QLabel* m_note;
  CFindDialog* m_findDialog = nullptr;
  // What the controls were last loaded with.
  QString m_loadedText;
  bool m_loadedExternDecls = false;
};
