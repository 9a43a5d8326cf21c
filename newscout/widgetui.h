// CWidgetUi: the version checker's message boxes and dialogs as Qt Widgets.
#pragma once

#include <string>

#include "base/ports.h"
#include "newscout/newscoutui.h"

class CWidgetUi : public INewscoutUi, public IMessagePort {
 public:
  EAnswer Show(const CMessage& message) override;

  void SetMessageCaption(const std::string& caption) override { m_caption = caption; }
  void RunMainDialog(CMainDialogController& controller) override;
  bool RunNewVersionDialog(const CNewVersionOffer& offer) override;
  EConnectChoice RunConnectPrompt(const std::string& caption, const std::string& text) override;
  bool OpenUrl(const std::string& url) override;
  bool AskCredentials(const CCredentialsRequest& request, std::string& user, std::string& password) override;

 private:
  std::string Caption() const;
  std::string m_caption;
};
