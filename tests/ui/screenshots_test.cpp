// The manual's pictures: taken of the real main window, every page it shows,
// and the dialogs its pages and menus open, which are cancelled again.
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "project/projdoc.h"
#include "uitestsupport.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/screenshots.h"
#include "ui/viewbase.h"

namespace fs = std::filesystem;

namespace {

// Asks before it lets itself be cancelled, as a dialog with edits may; a "No"
// would keep it open.
class CAskingDialog final : public QDialog {
 public:
  using QDialog::QDialog;
  void reject() override {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Kivo Vam"), QStringLiteral("Discard?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.exec();
    ++asked;
    QDialog::reject();
  }
  int asked = 0;
};

const std::string kDemo = SourcePath("examples/demo/kivo_vam.c").string();

// A page with three buttons: one that opens a dialog, one that shows a message
// box, and one that opens nothing although its text says it would.
class CButtonsView final : public CViewBase {
 public:
  CButtonsView(CProjDoc& doc, int index) : CViewBase(doc, index) {
    auto* layout = new QVBoxLayout(this);
    auto* open = new QPushButton(QStringLiteral("&Choose Pins..."), this);
    auto* warn = new QPushButton(QStringLiteral("Warn..."), this);
    auto* idle = new QPushButton(QStringLiteral("Nothing..."), this);
    auto* plain = new QPushButton(QStringLiteral("Apply"), this);
    auto* asking = new QPushButton(QStringLiteral("Edit..."), this);
    for (QPushButton* button : {open, warn, idle, plain, asking})
      layout->addWidget(button);
    connect(asking, &QPushButton::clicked, this, [this] {
      CAskingDialog dialog(this);
      new QLabel(QStringLiteral("Edit"), &dialog);
      results.push_back(dialog.exec());
      asked += dialog.asked;
    });
    connect(open, &QPushButton::clicked, this, [this] {
      QDialog dialog(this);
      new QLabel(QStringLiteral("Pins"), &dialog);
      results.push_back(dialog.exec());
    });
    connect(warn, &QPushButton::clicked, this, [this] {
      QMessageBox box(QMessageBox::Warning, QStringLiteral("Kivo Vam"), QStringLiteral("Careful"), QMessageBox::Ok,
                      this);
      results.push_back(box.exec());
    });
    connect(plain, &QPushButton::clicked, this, [this] { ++applied; });
  }
  void LoadControls() override {}
  bool StoreControls(bool) override { return true; }

  std::vector<int> results;
  int applied = 0;
  int asked = 0;
};

}  // namespace

TEST(Screenshots, EveryPageAndTheDialogsItsButtonsOpenArePictured) {
  std::vector<CButtonsView*> views;
  CMainFrame::PageFactory() = [&](int index, CProjDoc& doc) {
    auto* view = new CButtonsView(doc, index);
    views.push_back(view);
    return view;
  };
  CShell shell;
  ASSERT_TRUE(shell.Start({kDemo}));
  CTempDir out;
  std::string error;
  bool taken = TakeScreenshots(shell.Frame(), (out / "shots").string(), error);
  CMainFrame::PageFactory() = nullptr;
  ASSERT_TRUE(taken) << error;

  std::vector<std::string> expected = {"startup.png", "menu-help.png", "dialog-options.png", "dialog-about.png",
                                       "dock-channel-map.png", "help-documents.txt"};
  for (int page = 0; page < kPageCount; ++page) {
    if (!shell.Frame().IsPageShown(page))
      continue;
    std::string caption = PageCaption(page).toLower().replace(' ', '-').toStdString();
    expected.push_back("page-" + caption + ".png");
    expected.push_back("dialog-" + caption + "-choose-pins.png");
    expected.push_back("dialog-" + caption + "-edit.png");
  }
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(out / "shots"))
    written.push_back(entry.path().filename().string());
  std::sort(written.begin(), written.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(written, expected);
  // The window as it stands, not an empty picture.
  QImage page(QString::fromStdString((out / "shots/page-processor.png").string()));
  EXPECT_EQ(page.size(), shell.Frame().size());
  // Each dialog was cancelled, past its own question; message boxes were
  // closed unpictured (unanswered: 0); plain buttons were not pressed.
  for (CButtonsView* view : views) {
    if (view->results.empty())
      continue;
    EXPECT_EQ(view->results, (std::vector<int>{QDialog::Rejected, 0, QDialog::Rejected}));
    EXPECT_EQ(view->asked, 0);
    EXPECT_EQ(view->applied, 0);
  }
  EXPECT_FALSE(shell.App().Doc().IsModified());
  EXPECT_EQ(ReadFileBytes(out / "shots/help-documents.txt").substr(0, (shell.Folder() / "doc/KIVOVAMUM.pdf").string().size()),
            (shell.Folder() / "doc/KIVOVAMUM.pdf").string());
}
