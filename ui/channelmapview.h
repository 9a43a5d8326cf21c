// The "Channel Map" dock: both engines' channels drawn as cells, each a named item for a screen reader, a click going to the channel's row.
#pragma once

#include <QAccessible>
#include <QDockWidget>
#include <QWidget>
#include <array>
#include <functional>

#include "mapdraw/channelmapdraw.h"
#include "project/channelmap.h"

class CProjDoc;
class QScrollArea;

class CChannelMapView : public QWidget {
  Q_OBJECT

 public:
  explicit CChannelMapView(CProjDoc& doc, QWidget* parent = nullptr);
  ~CChannelMapView() override;

  // Builds the map anew from the project; the project's change notifications call it.
  void Refresh();
  const CChannelMap& Map() const { return m_map; }
  CChannelMapLayout Layout() const;

  // The items a screen reader walks: per engine its heading, then its cells.
  int ItemCount() const;
  // Engine and channel of item `index`; channel -1 for a heading.
  CMapCellRef Item(int index) const;
  int IndexOfItem(CMapCellRef item) const;
  QString ItemText(int index) const;
  QRect ItemRect(int index) const;
  QAccessibleInterface* ItemInterface(int index);

  CMapCellRef FocusCell() const { return m_focus; }
  // Goes to the channel's row on its engine's channels page.
  void ActivateCell(CMapCellRef cell);

  // Called with the cell a click or Enter chose; the dock goes to the row.
  std::function<void(int engine, int channel)> channelActivated;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void SetFocusCell(CMapCellRef cell);
  void AnnounceFocus();

  CProjDoc* m_doc;
  CChannelMap m_map;
  CMapCellRef m_focus{0, 0};
  // One interface per item slot, made when a screen reader first asks; the
  // slots stay while the view lives, so a reader's handles stay valid.
  std::array<QAccessible::Id, 66> m_itemIds{};
};

class CChannelMapDock : public QDockWidget {
  Q_OBJECT

 public:
  CChannelMapDock(CProjDoc& doc, QWidget* parent = nullptr);

  CChannelMapView* View() const { return m_view; }
  // A change of the project; every hint can change a load or a function.
  void OnProjectUpdate(int hint);

  // File > Export Channel Map...: asks for the file, then writes it.
  bool Export();
  // Writes the map to `path`, SVG or PNG by its extension; a failure is
  // reported (4099) and false.
  bool ExportTo(const QString& path);
  // Asks for the file to export to, with the filter chosen; tests answer instead.
  std::function<QString(const QString& start, QString* filter)> askExportName;

  // Makes the channels page of `engine` current with the row of `channel` selected.
  std::function<void(int engine, int channel)> goToChannel;

 private:
  CChannelMapView* m_view;
  QScrollArea* m_scroll;
  QString m_lastExport;
};
