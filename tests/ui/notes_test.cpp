// The "Project Notes" page on the real main window over a copy of the sample
// project: the page file, the links and what leaving the page does to the notes.
#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/viewbase.h"
#include "ui/viewnotes.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

// Stands in for a channels page: it records the rows it is asked to select.
class CRowPage final : public CViewBase {
 public:
  CRowPage(CProjDoc& doc, int pageIndex, std::vector<int>& rows) : CViewBase(doc, pageIndex), m_rows(&rows) {}
  void LoadControls() override {}
  bool StoreControls(bool) override { return true; }
  bool SelectChannelRow(int channel) override {
    m_rows->push_back(channel);
    return true;
  }

 private:
  std::vector<int>* m_rows;
};

class CQuietOwner : public CNotesOwner {
 public:
  bool ShowInChannels(long) override { return false; }
};

class NotesPage : public ::testing::Test {
 public:
  void SetUp() override {
    CopySampleProject(project.Path());
    CMainFrame::PageFactory() = [this](int index, CProjDoc& doc) -> CViewBase* {
      if (index == kPageChannelsA || index == kPageChannelsB)
        return new CRowPage(doc, index, index == kPageChannelsA ? rowsA : rowsB);
      return nullptr;
    };
    shell = std::make_unique<CShell>();
    ASSERT_TRUE(shell->Start({(project / "kivo_vam.c").string()}));
    Page().openExternal = [this](const QUrl& url) {
      opened.push_back(url);
      return true;
    };
  }
  void TearDown() override {
    shell.reset();
    CMainFrame::PageFactory() = nullptr;
  }

  CMainFrame& Frame() { return shell->Frame(); }
  CNotesModel& Notes() { return *Frame().Doc().Notes(); }
  CViewNotes& Page() { return *static_cast<CViewNotes*>(Frame().Page(kPageNotes)); }
  QTextBrowser& Browser() { return *Page().Browser(); }
  std::vector<int> States() {
    std::vector<int> states;
    for (const CNotesModel::CEntry& entry : Notes().Entries())
      states.push_back(entry.state);
    return states;
  }
  std::vector<int> All(int state) { return std::vector<int>(Notes().Entries().size(), state); }

  // Clicks the first link to `href` on the page, as the mouse does.
  bool ClickLink(const QString& href) {
    QTextDocument* document = Browser().document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.charFormat().anchorHref() != href)
          continue;
        QTextCursor cursor(document);
        cursor.setPosition(fragment.position() + 1);
        Browser().setTextCursor(cursor);
        Browser().ensureCursorVisible();
        const QPoint at = Browser().cursorRect(cursor).center();
        QTest::mouseClick(Browser().viewport(), Qt::LeftButton, {}, at);
        return true;
      }
    }
    return false;
  }

  CQuietOwner owner;  // outlives the shell and with it every entry naming it
  CTempDir project;
  std::unique_ptr<CShell> shell;
  std::vector<int> rowsA;
  std::vector<int> rowsB;
  std::vector<QUrl> opened;
};

TEST_F(NotesPage, TheNotesShowFromAFileOfTheirOwnThatGoesWhenReplacedAndAtTheEnd) {
  ASSERT_FALSE(Notes().Entries().empty());
  EXPECT_EQ(shell->Tabs().back(), "Project Notes");
  EXPECT_EQ(Browser().accessibleName(), "Project Notes");
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  const QString first = Page().RenderedPath();
  ASSERT_TRUE(fs::is_regular_file(first.toStdString()));
  EXPECT_TRUE(QFileInfo(first).fileName().startsWith("qzr"));
  EXPECT_TRUE(first.endsWith(".htm"));
  EXPECT_EQ(Browser().source(), QUrl::fromLocalFile(first));
  EXPECT_TRUE(Browser().toPlainText().contains("Quadrature Decoder"));
  EXPECT_NE(ReadFileBytes(first.toStdString()).find("<div class=\"new_text\">"), std::string::npos);

  // Left by its tab, the page marks every note seen and writes itself anew.
  ASSERT_TRUE(Frame().NextPane());
  EXPECT_EQ(States(), All(CNotesModel::kSeen));
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  const QString second = Page().RenderedPath();
  EXPECT_NE(second, first);
  EXPECT_FALSE(fs::exists(first.toStdString()));
  const std::string page = ReadFileBytes(second.toStdString());
  EXPECT_EQ(page.find("<div class=\"new_text\">"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"hid\"><span class=\"new_text\">"), std::string::npos);
  EXPECT_TRUE(shell->ports.messages.Ids().empty());

  shell.reset();
  EXPECT_FALSE(fs::exists(second.toStdString()));
}

TEST_F(NotesPage, WithoutNotesThePageAndItsFileGo) {
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  const QString rendered = Page().RenderedPath();
  ASSERT_TRUE(Frame().FileNew());
  EXPECT_TRUE(Notes().Entries().empty());
  EXPECT_FALSE(Frame().IsPageShown(kPageNotes));
  EXPECT_EQ(Frame().CurrentPage(), kPageCpu);
  EXPECT_FALSE(fs::exists(rendered.toStdString()));
  EXPECT_TRUE(Page().RenderedPath().isEmpty());
}

TEST_F(NotesPage, LinksShowTheChannelsAndKeepTheNotesAsTheyWere) {
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  const QString rendered = Page().RenderedPath();

  Page().FollowLink(QUrl("kivovam:E1/Ch7"));
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsB);
  EXPECT_EQ(rowsB, std::vector<int>{7});
  EXPECT_EQ(States(), All(CNotesModel::kNew));

  // Back on the page nothing changed, so nothing is written again.
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  EXPECT_EQ(Page().RenderedPath(), rendered);

  // The links in the page itself: an entry's own link and a channel link in its text.
  unsigned quadrature = 0;
  for (const CNotesModel::CEntry& entry : Notes().Entries())
    if (entry.title == "Quadrature Decoder")
      quadrature = entry.id;
  ASSERT_NE(quadrature, 0u);
  ASSERT_TRUE(ClickLink(QStringLiteral("kivovam:PN%1").arg(quadrature)));
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsB);
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  ASSERT_TRUE(ClickLink("kivovam:E0/Ch4"));
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsA);
  EXPECT_EQ(rowsA, std::vector<int>{4});
  EXPECT_EQ(States(), All(CNotesModel::kNew));

  // The keyboard reaches the links too: Tab goes to the first, Enter follows it.
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  Browser().moveCursor(QTextCursor::Start);
  QTest::keyClick(&Browser(), Qt::Key_Tab);
  QTest::keyClick(&Browser(), Qt::Key_Return);
  EXPECT_EQ(Frame().CurrentPage(), kPageChannelsA);

  // A link that leads nowhere keeps the page, and the next leave marks the notes seen.
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  Page().FollowLink(QUrl("kivovam:E1/Ch7x"));
  Page().FollowLink(QUrl("kivovam:PN4000"));
  EXPECT_EQ(Frame().CurrentPage(), kPageNotes);
  ASSERT_TRUE(Frame().SelectPage(kPageVerbatim));
  EXPECT_EQ(States(), All(CNotesModel::kSeen));
}

TEST_F(NotesPage, AWebLinkOpensOutsideAndThePageStaysWhereItIs) {
  Notes().SetNote(&owner, 0, "Board wiring",
                  "See <a href=\"https://example.com/kivo/wiring\">the wiring guide</a>.", "");
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  const QUrl source = Browser().source();
  ASSERT_TRUE(ClickLink("https://example.com/kivo/wiring"));
  EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://example.com/kivo/wiring")});
  EXPECT_EQ(Browser().source(), source);
  EXPECT_TRUE(Browser().toPlainText().contains("the wiring guide"));
  EXPECT_EQ(Frame().CurrentPage(), kPageNotes);
  Notes().RemoveNotes(&owner);
}

// What the page shows besides itself comes through the bounded reader: a
// picture in a file is shown, a FIFO in its place is never opened.
TEST_F(NotesPage, PicturesComeFromRegularFilesOnly) {
  CTempDir folder;
  const fs::path fifo = folder / "wiring.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::atomic<bool> reading{false};
  std::atomic<bool> stop{false};
  // Should anything open the FIFO to read, this writer lets it go on and tells.
  std::thread writer([&] {
    for (int i = 0; i < 300 && !stop; ++i) {
      int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        reading = true;
        close(fd);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  const QString picture = QUrl::fromLocalFile(QString::fromStdString(SourcePath("data/icons").string()) +
                                              "/kivovam-48.png").toString();
  Notes().SetNote(&owner, 0, "Pictures",
                  "<img src=\"" + picture.toStdString() + "\"><img src=\"" +
                      QUrl::fromLocalFile(QString::fromStdString(fifo.string())).toString().toStdString() + "\">",
                  "");
  ASSERT_TRUE(Frame().SelectPage(kPageNotes));
  Browser().document()->documentLayout()->documentSize();
  Settle(200);
  stop = true;
  writer.join();
  EXPECT_FALSE(reading);
  EXPECT_FALSE(Browser().document()->resource(QTextDocument::ImageResource, QUrl(picture)).isNull());
  Notes().RemoveNotes(&owner);
}

}  // namespace
