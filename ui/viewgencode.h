// The "Generated Code" page: the source and header as the next save would
// write them, with the lines that differ from the files on disk marked.
#pragma once

#include <QString>
#include <array>
#include <string>

#include "project/generatedcode.h"
#include "ui/viewbase.h"

class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QsciScintilla;

class CViewGenCode : public CViewBase {
  Q_OBJECT

 public:
  // The margin markers, by number.
  enum EMarker { kMarkerAdded = 0, kMarkerChanged = 1, kMarkerRemoved = 2 };

  CViewGenCode(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);

  void OnUpdate(int hint) override;
  void OnActivated() override;
  void LoadControls() override;
  bool StoreControls(bool) override { return true; }

  // 0 the source, 1 the header.
  QsciScintilla* Editor(int file) const { return m_files[std::size_t(file)].editor; }
  QTabWidget* Files() const { return m_tabs; }
  QPushButton* NextButton() const { return m_next; }
  QPushButton* PreviousButton() const { return m_previous; }
  QLabel* Summary() const { return m_summary; }
  // What is shown instead of the texts when they cannot be generated.
  QLabel* Failure() const { return m_failure; }
  const CLineDiff& Differences(int file) const { return m_files[std::size_t(file)].diff; }

  // Generates the texts again and marks them; `readDisk` reads the files first.
  void Refresh(bool readDisk);
  // The project's path for a page outside the window (a benchmark's); the
  // window's page takes the program's.
  void SetProjectPath(const std::string& path) { m_projectPath = path; }

  // F8, and Shift+F8 with `reverse`: the next place that differs after the
  // caret, through the source and then the header, round to the first.
  bool GoToDifference(bool reverse);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct CFilePane {
    QsciScintilla* editor = nullptr;
    std::string text;
    CDiskText disk;
    CLineDiff diff;
  };

  void ReadDisk();
  void Watch();
  void OnDiskChanged();
  void ShowText(CFilePane& pane, const std::string& text);
  void Mark(CFilePane& pane);
  void ShowSummary();
  QString MarginTip(const CFilePane& pane, int line) const;

  std::array<CFilePane, 2> m_files;
  QTabWidget* m_tabs;
  QStackedWidget* m_stack;
  QLabel* m_failure;
  QLabel* m_summary;
  QPushButton* m_previous;
  QPushButton* m_next;
  QFileSystemWatcher* m_watcher;
  CNextSave m_texts;
  std::string m_projectPath;
  // A change while the page is hidden waits for it to be shown.
  bool m_stale = true;
  bool m_diskStale = true;
};
