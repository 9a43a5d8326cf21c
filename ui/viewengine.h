// The "Engine A" and "Engine B" pages: time bases, STAC bus, filters, watchdog and the values derived from them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "project/enginerules.h"
#include "ui/viewbase.h"

class CNumberSpin;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CViewEngine : public CViewBase {
  Q_OBJECT

 public:
  CViewEngine(CProjDoc& doc, int pageIndex, QWidget* parent = nullptr);

  void OnUpdate(int hint) override;
  void LoadControls() override;
  bool StoreControls(bool validate) override;

  // What the controls hold, as the rules read it.
  CEngineFields Fields() const;
  const CEngineRuleResult& LastResult() const { return m_result; }

  // The controls, for tests and for the frame's focus handling.
  QComboBox* Tcr1Source() const { return m_tcr1Source; }
  CNumberSpin* Tcr1Prescaler() const { return m_tcr1Prescaler; }
  QLineEdit* Tcr1Input() const { return m_tcr1Input; }
  QLineEdit* Tcr1Tcrclk() const { return m_tcr1Tcrclk; }
  QLineEdit* Tcr1Freq() const { return m_tcr1Freq; }
  QComboBox* Tcr2Source() const { return m_tcr2Source; }
  CNumberSpin* Tcr2Prescaler() const { return m_tcr2Prescaler; }
  QLineEdit* Tcr2Input() const { return m_tcr2Input; }
  QLineEdit* Tcr2Tcrclk() const { return m_tcr2Tcrclk; }
  QLineEdit* Tcr2Freq() const { return m_tcr2Freq; }
  QComboBox* AngleMode() const { return m_angleMode; }
  QCheckBox* Stac1Enable() const { return m_stac[0].enable; }
  QRadioButton* Stac1Server() const { return m_stac[0].server; }
  QRadioButton* Stac1Client() const { return m_stac[0].client; }
  QCheckBox* Stac2Enable() const { return m_stac[1].enable; }
  QComboBox* SampleRate() const { return m_sampleRate; }
  QComboBox* FilterMode() const { return m_filterMode; }
  QLineEdit* SampleFreq() const { return m_sampleFreq; }
  QLineEdit* DetectFrom() const { return m_detectFrom; }
  QLineEdit* FilterUpTo() const { return m_filterUpTo; }
  QLineEdit* WatchdogCount() const { return m_wdCount; }
  QLineEdit* WatchdogPeriod() const { return m_wdPeriod; }
  QLineEdit* ChannelTiming() const { return m_channelTiming; }
  QGroupBox* PriorityGroup() const { return m_priorityGroup; }
  QGroupBox* WatchdogGroup() const { return m_watchdogGroup; }
  QWidget* ChannelTimingGroup() const { return m_timingGroup; }

 private:
  struct CStacControls {
    QCheckBox* enable = nullptr;
    QRadioButton* server = nullptr;
    QRadioButton* client = nullptr;
    QLabel* slotLabel = nullptr;
    CNumberSpin* slot = nullptr;
  };
  struct CTcrControls {
    QLabel* sourceLabel = nullptr;
    QLabel* prescalerLabel = nullptr;
    QLabel* inputLabel = nullptr;
    QLabel* freqLabel = nullptr;
  };

  QWidget* BuildTimeBases();
  QWidget* BuildTcr(int tcr);
  QWidget* BuildStac(int tcr, QWidget* parent);
  QWidget* BuildChannelFilter();
  QWidget* BuildTcrclkFilter();
  QWidget* BuildKivo2Groups();
  void ConnectChanges();

  // Every control and the TCRCLK frequency into `values`, stopping at the
  // first refusal.
  bool Store(CProjDoc::CEngineValues& values, bool validate);
  // The register fields and combined values this engine's controls use.
  bool Exchange(CProjDoc::CEngineValues& values, bool save, bool quiet);
  // Recomputes the derived values and applies the consistency rules.
  void Refresh();
  void ApplyStates(const CEngineStates& states);
  static int CheckedIndex(const std::vector<QRadioButton*>& group);

  QCheckBox* m_disabled;
  QComboBox* m_tcr1Source;
  CNumberSpin* m_tcr1Prescaler;
  QLineEdit* m_tcr1Input;
  QLineEdit* m_tcr1Tcrclk;
  QLineEdit* m_tcr1Freq;
  QComboBox* m_tcr2Source;
  CNumberSpin* m_tcr2Prescaler;
  QLineEdit* m_tcr2Input;
  QLineEdit* m_tcr2Tcrclk;
  QLineEdit* m_tcr2Freq;
  CTcrControls m_tcr[2];
  QLabel* m_angleLabel;
  QComboBox* m_angleMode;
  CStacControls m_stac[2];
  QComboBox* m_sampleRate;
  QLineEdit* m_sampleFreq;
  QComboBox* m_filterMode;
  QLineEdit* m_detectFrom;
  QLineEdit* m_filterUpTo;
  QLabel* m_tcrclkClockLabel;
  QRadioButton* m_tcrclkHalfKivo;
  QLineEdit* m_tcrclkHalfKivoFreq;
  QRadioButton* m_tcrclkSameAsFilter;
  QLineEdit* m_tcrclkSameAsFilterFreq;
  QLabel* m_tcrclkModeLabel;
  QRadioButton* m_tcrclkTwoSample;
  QRadioButton* m_tcrclkIntegration;
  QGroupBox* m_priorityGroup;
  QCheckBox* m_priorityDisabled;
  QGroupBox* m_watchdogGroup;
  QComboBox* m_wdMode;
  QLineEdit* m_wdCount;
  QLineEdit* m_wdPeriod;
  QWidget* m_timingGroup;
  QLineEdit* m_channelTiming;

  CEngineRuleResult m_result;
  std::unique_ptr<CProjDoc::CEngineValues> m_asLoaded;
  bool m_loading = false;
};
