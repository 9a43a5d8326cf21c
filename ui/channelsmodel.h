// The channels page's table: a model over the core's rows of one engine and the delegate of its in-place cells.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <vector>

#include "project/channeltable.h"

class CChannelsModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum EColumn {
    kColChannel,
    kColFunction,
    kColChannelName,
    kColPriority,
    kColLoad,
    kColCie,
    kColCdtre,
    kColOdis,
    kColApi,
    kColumnCount
  };
  // True on the load cell that is the button of the row's Load command.
  static constexpr int kLoadCommandRole = Qt::UserRole + 1;

  CChannelsModel(CProjDoc& doc, int engine, QObject* parent = nullptr);

  // Every cell from the project; the rows stay, so a view keeps its
  // selection and scroll position.
  void Refill();
  // The load column alone.
  void RefreshLoads();
  const CChannelTable& Table() const { return m_table; }
  // The rows shown as part of the selected functions.
  void SetMarkedRows(const std::vector<bool>& rows);
  bool IsMarked(int row) const;

  static const QStringList& OdisChoices();
  static int ColumnWidth(int column);
  static Qt::Alignment ColumnAlignment(int column);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // CIE and CDTRE by their check state, ODIS by its choice; each is one
  // change of the engine's channel flags.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 private:
  const CChannelRow* Row(const QModelIndex& index) const;
  QVariant Background(int row) const;

  CProjDoc& m_doc;
  int m_engine;
  CChannelTable m_table;
  std::vector<bool> m_marked;
};

// Paints the flag cells as centred check boxes and the load cell of a row
// with a C API as a button, toggles the boxes, offers the ODIS choices in a
// drop-down list and reports a press of the load button.
class CChannelsDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // The next ODIS list opened shows its choices at once (a click opened it).
  void OpenListNext() { m_openList = true; }
  static QRect CheckRect(const QStyleOptionViewItem& option, const QWidget* widget);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 Q_SIGNALS:
  void LoadPressed(int row);

 protected:
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

 private:
  void PaintCheck(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void PaintLoadButton(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

  mutable bool m_openList = false;
};
