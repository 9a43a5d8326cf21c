// The widget tests' environment.
#include "uitestsupport.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "base/paths.h"
#include "ui/mainframe.h"
#include "ui/viewtab.h"

namespace fs = std::filesystem;

namespace {

class CUiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    // Anything that reaches for the native store lands here, not in the user's.
    m_config = std::make_unique<CTempDir>();
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config->Path().string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((m_config->Path() / "data").string()));
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
  }
  void TearDown() override {
    m_app.reset();
    m_config.reset();
  }

 private:
  int m_argc = 1;
  char m_name[8] = "test_ui";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<CTempDir> m_config;
  std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new CUiEnvironment);

}  // namespace

CShell::CShell(ISettingsPort* settings) {
  // The data as the build lays it out beside the programs: doc/ holds the documents it wrote.
  for (const char* data : {"conf", "fsets", "doc", "examples"})
    fs::create_directory_symlink(fs::path(KV_BIN_DIR) / data, m_folder / data);
  WriteFileBytes(m_folder / "newscout", "#!/bin/sh\n");
  FolderSettings() = CFolderSettings{};
  SetProgramFolder(m_folder.Path().string());
  CPorts recorded{&ports.messages, &ports.progress, settings ? settings : &ports.settings};
  m_program = std::make_unique<CDesktopProgram>(&recorded);
  m_program->SetRecoveryFolder(RecoveryFolder().string());
  App().openDocument = [](const std::string&) { return true; };
  App().startProcess = [this](const std::string& program, const std::vector<std::string>& args) {
    started.push_back({program, args});
    return true;
  };
}

CShell::~CShell() {
  m_program.reset();
  FolderSettings() = CFolderSettings{};
  SetProgramFolder("");
}

bool CShell::Start(const std::vector<std::string>& args) {
  if (!m_program->Start(args))
    return false;
  Frame().askSaveChanges = [](const QString&) { return QMessageBox::No; };
  Frame().askFileName = [](bool, const QString&) { return QString(); };
  return true;
}

std::vector<std::string> CShell::Tabs() const {
  std::vector<std::string> tabs;
  QTabBar* bar = Frame().Tabs()->TabBar();
  for (int i = 0; i < bar->count(); ++i)
    tabs.push_back(bar->tabText(i).toStdString());
  return tabs;
}

std::vector<std::string> UnlabelledControls(const QWidget* root) {
  std::set<const QWidget*> labelled;
  for (const QLabel* label : root->findChildren<QLabel*>())
    if (label->buddy())
      labelled.insert(label->buddy());
  std::vector<std::string> missing;
  for (const QWidget* control : root->findChildren<QWidget*>()) {
    bool input = qobject_cast<const QLineEdit*>(control) || qobject_cast<const QComboBox*>(control) ||
                 qobject_cast<const QAbstractSpinBox*>(control);
    // The edit field inside a combo or spin box belongs to its owner.
    if (!input || qobject_cast<const QComboBox*>(control->parentWidget()) ||
        qobject_cast<const QAbstractSpinBox*>(control->parentWidget()))
      continue;
    if (!labelled.count(control) && control->accessibleName().isEmpty())
      missing.push_back(std::string(control->metaObject()->className()) + " " + control->objectName().toStdString());
  }
  // A buddy label does not reach a screen reader through an item view, so
  // tables and lists need an accessible name of their own.
  for (const QAbstractItemView* view : root->findChildren<QAbstractItemView*>()) {
    // A header belongs to its table; a combo box's popup to the combo box.
    if (qobject_cast<const QHeaderView*>(view) || qobject_cast<const QComboBox*>(view->parentWidget()) ||
        view->window() != root->window())
      continue;
    if (view->accessibleName().isEmpty())
      missing.push_back(std::string(view->metaObject()->className()) + " " + view->objectName().toStdString());
  }
  return missing;
}

void Settle(int milliseconds) { QTest::qWait(milliseconds); }

CFixedSaveTime::CFixedSaveTime() { setenv("SOURCE_DATE_EPOCH", "1796733629", 1); }

CFixedSaveTime::~CFixedSaveTime() { unsetenv("SOURCE_DATE_EPOCH"); }
