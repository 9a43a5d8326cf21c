// The function dialog's two pages: a function with a C API (call, channels and parameters) and one without (the generic channel settings).
#pragma once

#include <QWidget>

#include "ui/valuebinding.h"

class CChoiceDelegate;
class CEditableRowsModel;
class CFuncDialogModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;

// A page edits the dialog's current working copy through the rules and says
// when it changed something, so that the dialog shows the code anew.
class CFuncDialogPage : public QWidget {
  Q_OBJECT

 public:
  CFuncDialogPage(CFuncDialogModel& model, QWidget* parent) : QWidget(parent), m_model(model) {}
  // Shows the current working copy.
  virtual void Load() = 0;
  // Stores what an editor still open holds.
  virtual void Save() = 0;

 Q_SIGNALS:
  void Changed();

 protected:
  CFuncDialogModel& m_model;
};

class CFuncApiPage : public CFuncDialogPage {
  Q_OBJECT

 public:
  CFuncApiPage(CFuncDialogModel& model, QWidget* parent);
  void Load() override;
  void Save() override;

  // Whether moving in the parameter table shows the parameter's description;
  // kept while the program runs.
  static bool ShowTips();

  QComboBox* InitCall() const { return m_initCall; }
  QTableView* ChannelsTable() const { return m_channels; }
  QTableView* ParamsTable() const { return m_params; }
  QLabel* ErrorLine() const { return m_error; }
  QCheckBox* TipsBox() const { return m_tips; }

 private:
  void LoadTables();
  void ShowTipFor(int row);

  QComboBox* m_initCall;
  QLabel* m_assignment;
  CEditableRowsModel* m_channelRows;
  CChoiceDelegate* m_channelEditor;
  QTableView* m_channels;
  CEditableRowsModel* m_paramRows;
  CChoiceDelegate* m_paramEditor;
  QTableView* m_params;
  QLabel* m_error;
  QCheckBox* m_tips;
  bool m_loading = false;
};

class CFuncNonApiPage : public CFuncDialogPage {
  Q_OBJECT

 public:
  CFuncNonApiPage(CFuncDialogModel& model, QWidget* parent);
  void Load() override;
  void Save() override;

  QComboBox* ChannelNumber() const { return m_channel; }
  QComboBox* List(int group) const { return m_lists[group - 1]; }
  CNumberSpin* ParamCount() const { return m_count; }
  QTableView* ParamsTable() const { return m_params; }

 private:
  CValueExchange ListExchange(CValueExchange::EDirection direction) const;
  void LoadParams();
  void SaveList(int group);
  void CountEdited(const QString& text);

  QComboBox* m_channel;
  QComboBox* m_lists[4];
  CNumberSpin* m_count;
  CEditableRowsModel* m_paramRows;
  CChoiceDelegate* m_paramEditor;
  QTableView* m_params;
  bool m_loading = false;
};
