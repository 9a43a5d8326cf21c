// The function dialog's tables: rows of texts with one column edited in place, by choice from a list or by typing.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>
#include <vector>

class QTableView;

struct CEditableRow {
  QStringList cells;
  bool editable = false;  // the model's edit column of this row
  QStringList choices;    // none: typed in a line
  bool typed = true;      // with choices: other text may be typed too
  bool blankEdit = false; // the editor starts empty: the cell only marks a missing value
};

// The rows as the dialog's rules give them; an edit goes to `onEdit` and the
// owner sets the rows again from the rules.
class CEditableRowsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  CEditableRowsModel(QStringList headers, int editColumn, QObject* parent = nullptr);

  // Rows of the same number are changed in place, so that an editor still
  // open on one of them stays valid.
  void SetRows(std::vector<CEditableRow> rows);
  const CEditableRow* Row(int row) const;
  int EditColumn() const { return m_editColumn; }

  std::function<void(int row, const QString& text)> onEdit;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 private:
  QStringList m_headers;
  int m_editColumn;
  std::vector<CEditableRow> m_rows;
};

// The in-place editor of the edit column: a drop-down list of the row's
// choices (with an edit field when typing is allowed), else a line. A choice
// taken from the list applies at once.
class CChoiceDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit CChoiceDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

  // Stores what an open editor holds, as leaving it would.
  void CommitOpenEditor();

 protected:
  // Enter ends the cell's edit and goes no further: in a dialog it would
  // also press the default button.
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  mutable QPointer<QWidget> m_open;
};

// A table over `model` with the delegate on its edit column, rows selected
// whole, named for screen readers.
QTableView* MakeEditableTable(CEditableRowsModel* model, CChoiceDelegate* delegate, const QString& name,
                              QWidget* parent);
