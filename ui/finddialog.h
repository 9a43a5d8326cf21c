// Find and replace in a code editor: a small dialog that stays open beside
// the editor, and the searches behind it and behind F3.
#pragma once

#include <QDialog>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QsciScintilla;

class CFindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CFindDialog(QsciScintilla* editor, QWidget* parent = nullptr);

  // Shows the dialog with or without the replace row; a selection within one
  // line becomes the text to find.
  void Open(bool replace);
  // Selects the next match in the direction the dialog sets, or in the other
  // one with `reverse`; false when there is none (a message says so).
  bool FindNext(bool reverse = false);
  // Replaces the selected match, if the selection is one, and finds the next.
  bool Replace();
  // Replaces every match of the whole text as one step of the editor's undo;
  // the number of matches replaced.
  int ReplaceAll();
  // Whether there is something to look for.
  bool HasText() const;

  QLineEdit* FindField() const { return m_find; }
  QLineEdit* ReplaceField() const { return m_replace; }
  QCheckBox* MatchCase() const { return m_matchCase; }
  QCheckBox* WholeWord() const { return m_wholeWord; }
  QCheckBox* RegularExpression() const { return m_regex; }
  QCheckBox* Backwards() const { return m_backwards; }
  QCheckBox* Wrap() const { return m_wrap; }
  QLabel* Status() const { return m_status; }

 private:
  struct CMatch {
    long start = -1;
    long end = -1;
  };
  // Searches from `from` towards `to` (backwards when `to` is smaller): the
  // match's start, -1 without one, -2 for a regular expression that is not valid.
  long Search(long from, long to, CMatch& match) const;
  // Reports a search that found nothing or could not run; false.
  bool Failed(long result);
  long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;

  QsciScintilla* m_editor;
  QLineEdit* m_find;
  QLineEdit* m_replace;
  QLabel* m_replaceLabel;
  QCheckBox* m_matchCase;
  QCheckBox* m_wholeWord;
  QCheckBox* m_regex;
  QCheckBox* m_backwards;
  QCheckBox* m_wrap;
  QPushButton* m_findNext;
  QPushButton* m_replaceOne;
  QPushButton* m_replaceAll;
  QLabel* m_status;
  bool m_placed = false;
};
