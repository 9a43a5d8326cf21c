// The ports of the desktop program: message boxes, the start-up window and the
// per-user settings store.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include <map>
#include <memory>

#include "base/ports.h"
#include "base/settingsfile.h"

class QLabel;
class QProgressBar;

// A modal box with the kind's icon; questions get Yes and No.
//
// For tests of the real program: with KIVOVAM_TEST_ANSWER=yes (or no) in the
// environment no box is shown, every question gets that answer, and each
// message's number and kind are appended as a line ("4074 question") to the
// file KIVOVAM_TEST_MESSAGES names, when it names one.
class CQtMessagePort final : public IMessagePort {
 public:
  CQtMessagePort();
  EAnswer Show(const CMessage& message) override;

 private:
  void Record(const CMessage& message) const;

  std::optional<EAnswer> m_testAnswer;
  std::string m_testLog;
};

// Settings in the files Qt's settings keep: a key path
// "Software\Maker\Product\Group..." names the file "Maker/Product.conf" and a
// group in it. With a root folder the files lie below it, which tests use to
// keep off the user's own settings; without one, below the user's settings
// folder (XDG_CONFIG_HOME, else ~/.config). A file is read when first asked
// and again when it changed, and written in place only when a value changes.
class CQtSettingsPort final : public ISettingsPort {
 public:
  explicit CQtSettingsPort(QString rootFolder = {});
  ~CQtSettingsPort() override;
  std::optional<std::string> Read(const std::string& keyPath, const std::string& name) override;
  bool Write(const std::string& keyPath, const std::string& name, const std::string& value) override;

  // The file that holds the values of `keyPath`; empty when the key path names none.
  std::string FileOf(const std::string& keyPath) const;

 private:
  CSettingsFile* FileFor(const std::string& keyPath, std::string& group);

  QString m_root;
  std::map<std::string, std::unique_ptr<CSettingsFile>> m_files;
};

// The captionless window shown while the knowledge base loads: a picture the
// size of a splash screen with a status line and a bar near its bottom edge.
class CStartupWindow final : public QWidget, public IProgressPort {
  Q_OBJECT

 public:
  explicit CStartupWindow(QWidget* parent = nullptr);
  // Shows the window centred on the screen and paints it at once.
  void ShowNow();
  void SetText(const std::string& text) override;
  void SetProgress(int position, int range) override;

  QString Text() const;
  int Position() const;
  int Range() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap m_picture;
  QLabel* m_status;
  QProgressBar* m_bar;
  int m_range = 100;
};
