// Driving a parameter table of the function dialog as a user does: finding a
// row by its name, opening the value cell's in-place editor, typing or
// picking a value.
#pragma once

#include <QString>

class QTableView;
class QWidget;

// The row whose first cell reads `name`; a failure and -1 when none does.
int RowOf(QTableView* table, const QString& name);
QString CellText(QTableView* table, int row, int column = 1);
// The value cell's in-place editor, opened as a click opens it.
QWidget* EditCell(QTableView* table, int row);
// Types into the cell's editor and presses Enter.
void TypeInCell(QTableView* table, int row, const QString& text);
// One of the cell's allowed values, picked by keyboard from its list.
void ChooseInCell(QTableView* table, int row, const QString& choice);
