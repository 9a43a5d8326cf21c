// The function dialog's tables.
#include "ui/funcdialogtables.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

CEditableRowsModel::CEditableRowsModel(QStringList headers, int editColumn, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)), m_editColumn(editColumn) {}

void CEditableRowsModel::SetRows(std::vector<CEditableRow> rows) {
  if (rows.size() != m_rows.size()) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
    return;
  }
  m_rows = std::move(rows);
  if (!m_rows.empty())
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const CEditableRow* CEditableRowsModel::Row(int row) const {
  if (row < 0 || row >= rowCount())
    return nullptr;
  return &m_rows[static_cast<std::size_t>(row)];
}

int CEditableRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CEditableRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CEditableRowsModel::data(const QModelIndex& index, int role) const {
  const CEditableRow* row = index.isValid() ? Row(index.row()) : nullptr;
  if (!row || index.column() >= row->cells.size())
    return {};
  if (role == Qt::EditRole && row->blankEdit && index.column() == m_editColumn)
    return QString();
  if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
    return row->cells[index.column()];
  return {};
}

QVariant CEditableRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
    return {};
  return m_headers[section];
}

Qt::ItemFlags CEditableRowsModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  const CEditableRow* row = index.isValid() ? Row(index.row()) : nullptr;
  if (row && row->editable && index.column() == m_editColumn)
    flags |= Qt::ItemIsEditable;
  return flags;
}

bool CEditableRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
    return false;
  if (onEdit)
    onEdit(index.row(), value.toString());
  return true;
}

// ---- CChoiceDelegate

QWidget* CChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
  const auto* model = qobject_cast<const CEditableRowsModel*>(index.model());
  const CEditableRow* row = model ? model->Row(index.row()) : nullptr;
  QString name = index.model()->headerData(index.column(), Qt::Horizontal).toString();
  QWidget* editor = nullptr;
  if (row && !row->choices.isEmpty()) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(row->typed);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(row->choices);
    // A choice from the list is the edit; Enter or leaving the field stores typed text.
    connect(combo, &QComboBox::activated, this, [this, combo] {
      Q_EMIT const_cast<CChoiceDelegate*>(this)->commitData(combo);
      Q_EMIT const_cast<CChoiceDelegate*>(this)->closeEditor(combo);
    });
    editor = combo;
  } else {
    editor = new QLineEdit(parent);
  }
  editor->setAccessibleName(name);
  m_open = editor;
  return editor;
}

void CChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  QString text = index.data(Qt::EditRole).toString();
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    int found = combo->findText(text);
    if (found >= 0)
      combo->setCurrentIndex(found);
    else if (combo->isEditable())
      combo->setEditText(text);
  } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    line->setText(text);
  }
}

void CChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* combo = qobject_cast<QComboBox*>(editor))
    model->setData(index, combo->currentText());
  else if (auto* line = qobject_cast<QLineEdit*>(editor))
    model->setData(index, line->text());
}

bool CChoiceDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(object);
  if (editor && event->type() == QEvent::KeyPress) {
    int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Q_EMIT commitData(editor);
      Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

void CChoiceDelegate::CommitOpenEditor() {
  if (m_open)
    Q_EMIT commitData(m_open);
}

QTableView* MakeEditableTable(CEditableRowsModel* model, CChoiceDelegate* delegate, const QString& name,
                              QWidget* parent) {
  auto* table = new QTableView(parent);
  table->setModel(model);
  table->setItemDelegateForColumn(model->EditColumn(), delegate);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::AllEditTriggers);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
  table->setWordWrap(false);
  table->setAccessibleName(name);
  return table;
}
