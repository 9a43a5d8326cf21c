// The load dialog: the inputs of one function's load expression, checked before they go into the project.
#pragma once

#include <QDialog>
#include <QStyledItemDelegate>
#include <cstddef>
#include <string>
#include <vector>

#include "project/loadinputs.h"

class QPushButton;
class QTableWidget;
class CLoadValueDelegate;

class CLoadDialog : public QDialog {
  Q_OBJECT

 public:
  enum EColumn { kColName, kColValue, kColUnit };

  // `func` must be in `doc`'s list; `inputs` are the ones its expression reads.
  CLoadDialog(CProjDoc& doc, const CProjDoc::CFuncInfo_Api& func, std::vector<CLoadInput> inputs,
              QWidget* parent = nullptr);
  ~CLoadDialog() override;

  QTableWidget* Table() const { return m_table; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* TestButton() const { return m_test; }
  QPushButton* CloseButton() const { return m_close; }
  // The values row by row, an edit still open included.
  std::vector<std::string> Values() const;
  // The row the last check refused; -1 when none is marked.
  int MarkedRow() const { return m_marked; }

  // Checks the values and puts them into the project, so every page shows
  // the loads they give; the dialog stays open.
  void Test();
  // Checks the values; a refused one keeps the dialog open with its row
  // marked. Otherwise the values go into the project as one change.
  void accept() override;
  // The function's inputs as they were when the dialog opened.
  void reject() override;

 protected:
  void done(int result) override;

 private:
  // The function as the project holds it now: taking back a test reads the
  // project anew, so the object may have changed.
  const CProjDoc::CFuncInfo_Api* Function() const;
  bool Check();
  void Mark(int row);
  void ClearMark();
  void TakeBackTests();

  CProjDoc& m_doc;
  const CKivoFunc* m_record;
  int m_engine;
  std::size_t m_position;
  std::vector<CLoadInput> m_inputs;
  CProjDoc::CLoadVarVals m_original;
  // The changes the Test button made, each one step of the project's history.
  int m_tests = 0;
  int m_marked = -1;
  QTableWidget* m_table;
  CLoadValueDelegate* m_delegate;
  QPushButton* m_ok;
  QPushButton* m_test;
  QPushButton* m_close;
};

// The value cell: a drop-down list of the allowed values, or a text field.
class CLoadValueDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kChoicesRole = Qt::UserRole + 1;
  using QStyledItemDelegate::QStyledItemDelegate;

  // Hands an open editor's text to the table.
  void Commit(QWidget* editor) { Q_EMIT commitData(editor); }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};
