#include "paramtable.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "uitestsupport.h"

int RowOf(QTableView* table, const QString& name) {
  for (int row = 0; table && row < table->model()->rowCount(); ++row)
    if (table->model()->index(row, 0).data().toString() == name)
      return row;
  ADD_FAILURE() << "no row " << name.toStdString();
  return -1;
}

QString CellText(QTableView* table, int row, int column) {
  return table->model()->index(row, column).data().toString();
}

QWidget* EditCell(QTableView* table, int row) {
  QModelIndex index = table->model()->index(row, 1);
  table->setCurrentIndex(index);
  table->edit(index);
  Settle();
  // A drop-down's own line edit is not the editor: the drop-down is.
  for (QWidget* editor : table->viewport()->findChildren<QWidget*>())
    if (editor->isVisible() && (qobject_cast<QComboBox*>(editor) || qobject_cast<QLineEdit*>(editor)) &&
        !qobject_cast<QComboBox*>(editor->parentWidget()))
      return editor;
  ADD_FAILURE() << "no editor in row " << row;
  return nullptr;
}

void TypeInCell(QTableView* table, int row, const QString& text) {
  QWidget* editor = EditCell(table, row);
  ASSERT_NE(editor, nullptr);
  auto* combo = qobject_cast<QComboBox*>(editor);
  QLineEdit* line = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(editor);
  ASSERT_NE(line, nullptr) << "the cell takes no typing";
  line->selectAll();
  QTest::keyClick(line, Qt::Key_Delete);
  QTest::keyClicks(line, text);
  QTest::keyClick(editor, Qt::Key_Return);
  Settle();
}

void ChooseInCell(QTableView* table, int row, const QString& choice) {
  auto* combo = qobject_cast<QComboBox*>(EditCell(table, row));
  ASSERT_NE(combo, nullptr);
  int target = combo->findText(choice);
  ASSERT_GE(target, 0) << choice.toStdString();
  while (combo->currentIndex() != target)
    QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
  Settle();
}
