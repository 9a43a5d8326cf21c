// The "Processor" page: target processor, its properties, the system and peripheral clocks and the Kivo clock.
#pragma once

#include "knowledge/cpudb.h"
#include "ui/viewbase.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;

class CViewCPU : public CViewBase {
  Q_OBJECT

 public:
  CViewCPU(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);

  void OnUpdate(int hint) override;
  void LoadControls() override;
  bool StoreControls(bool validate) override;

  QComboBox* CpuList() const { return m_cpuList; }
  QComboBox* SysClkList() const { return m_sysClk; }
  QComboBox* PtbClkList() const { return m_ptbClk; }
  QLineEdit* KivoClock() const { return m_kivoClock; }
  QLabel* KivoClockLabel() const { return m_kivoClockLabel; }
  // The working copy of the selected processor's record.
  const CKivoCpu& SelectedCpu() const { return m_cpu; }

 private:
  void FillCpuList();
  QString SelectedName() const;
  // The selection's properties, clock lists, enabled states and engine-B pages.
  void OnCpuSelected();
  void ShowPtbRows(bool show);
  void RebuildClockList(QComboBox* list, uint32_t maxHz);
  void UpdateKivoClock();

  QFormLayout* m_form;
  QComboBox* m_cpuList;
  QLineEdit* m_name;
  QLineEdit* m_engines;
  QLineEdit* m_maxSysClk;
  QLineEdit* m_stacBus;
  QLabel* m_ptbAvailableLabel;
  QLineEdit* m_ptbAvailable;
  QLabel* m_maxPtbClkLabel;
  QLineEdit* m_maxPtbClk;
  QComboBox* m_sysClk;
  QLabel* m_kivoClockLabel;
  QLineEdit* m_kivoClock;
  QLabel* m_ptbClkLabel;
  QComboBox* m_ptbClk;

  CKivoCpu m_cpu;
  QString m_kivoClockFormText;
  bool m_filled = false;
};
