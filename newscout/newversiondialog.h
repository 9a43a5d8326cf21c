// CNewVersionDialog: tells the user that the server offers a newer package.
#pragma once

#include <QDialog>

#include "newscout/newscoutui.h"

class QCheckBox;

class CNewVersionDialog : public QDialog {
 public:
  explicit CNewVersionDialog(const CNewVersionOffer& offer, QWidget* parent = nullptr);

  bool DoNotAlert() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const CNewVersionOffer& m_offer;
  QCheckBox* m_doNotAlert = nullptr;
};
