// The tab host: one record per page, hidden pages keeping their record and
// view but no tab, so a page shown again takes its tab back in page order.
#pragma once

#include <QTabBar>
#include <QWidget>
#include <vector>

class CViewBase;
class QStackedWidget;

class CViewTab : public QWidget {
  Q_OBJECT

 public:
  explicit CViewTab(QWidget* parent = nullptr);

  // Appends a page record; the view becomes a child of the host.
  void AddPage(CViewBase* view, const QString& caption);
  int PageCount() const { return static_cast<int>(m_pages.size()); }
  CViewBase* Page(int index) const;
  QString Caption(int index) const;
  bool IsVisible(int index) const;

  // The tab position of a visible page (the number of visible pages before
  // it), -1 for a hidden one; and the page shown at a tab position, -1 if none.
  int TabOfPage(int index) const;
  int PageOfTab(int tab) const;

  int CurrentPage() const { return m_current; }
  // Asks the current page's CanLeave, then selects `index`; false when the
  // page refused, or `index` is hidden or out of range.
  bool SelectPage(int index);
  // The next or previous visible page, wrapping round.
  bool SelectNext(bool forward);
  // Shows or hides a page's tab; hiding the current page moves to the next
  // visible one first.
  void SetPageVisible(int index, bool visible);

  QTabBar* TabBar() const { return m_bar; }
  // The largest page's size plus the strip around it.
  QSize LargestPageSize() const;

 Q_SIGNALS:
  void PageChanged(int index);

 private:
  struct CPageRecord {
    CViewBase* view = nullptr;
    QString caption;
    bool visible = true;
  };

  void OnTabChanged(int tab);
  void Activate(int index);

  QTabBar* m_bar;
  QStackedWidget* m_stack;
  std::vector<CPageRecord> m_pages;
  int m_current = -1;
  bool m_changing = false;
};

// The strip itself: Left and Right change the page through the host, so the
// page being left is asked first like any other change.
class CTabStrip : public QTabBar {
  Q_OBJECT

 public:
  explicit CTabStrip(CViewTab* host);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  CViewTab* m_host;
};
