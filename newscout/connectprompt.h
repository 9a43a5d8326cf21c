// CConnectPrompt: asks before an automatic check contacts the server.
#pragma once

#include <QDialog>
#include <string>

#include "newscout/checkschedule.h"

class CConnectPrompt : public QDialog {
 public:
  CConnectPrompt(const std::string& caption, const std::string& text, QWidget* parent = nullptr);

  // The button that closed the dialog; closing it otherwise counts as "Not No&w".
  EConnectChoice Choice() const { return m_choice; }

 private:
  EConnectChoice m_choice = EConnectChoice::NotNow;
};
