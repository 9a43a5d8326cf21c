// The "Function Set" page: the project's function set, its functions and applications, and the MISC check.
#pragma once

#include "ui/viewbase.h"

class CKivoFSet;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

class CViewFSet : public CViewBase {
  Q_OBJECT

 public:
  CViewFSet(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);

  void OnUpdate(int hint) override;
  void LoadControls() override;
  bool StoreControls(bool validate) override;

  QComboBox* SetList() const { return m_setList; }
  QTreeWidget* FunctionTable() const { return m_functions; }
  QListWidget* AppList() const { return m_apps; }
  QCheckBox* MiscCheck() const { return m_misc; }
  QPushButton* PresumedButton() const { return m_presumed; }

 private:
  void FillSetList();
  const CKivoFSet* SelectedSet() const;
  void ShowSet(const CKivoFSet* set);

  QComboBox* m_setList;
  QLineEdit* m_entryTable;
  QLineEdit* m_miscValue;
  QTreeWidget* m_functions;
  QCheckBox* m_misc;
  QListWidget* m_apps;
  // Offered while the project contradicts what its set presumes.
  QPushButton* m_presumed;
  bool m_filled = false;
};
