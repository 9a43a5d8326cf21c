// INewscoutUi: the dialogs of the version checker, as the start-up logic sees them.
#pragma once

#include <functional>
#include <string>

#include "newscout/checkschedule.h"
#include "newscout/serverquery.h"

class CMainDialogController;

struct CNewVersionOffer {
  std::string caption;
  std::string text;
  bool ignoreEnabled = false;  // the "do not alert" box, for automatic checks only
  // The default button: opens the download page; false (after telling the
  // user) keeps the dialog open.
  std::function<bool()> visit;
};

// Message boxes go through the messages port; the rest of the program's
// windows through this. Credentials are asked for during a query.
class INewscoutUi : public ICredentialsPrompt {
 public:
  // The caption of message boxes once the product is known.
  virtual void SetMessageCaption(const std::string& caption) = 0;
  virtual void RunMainDialog(CMainDialogController& controller) = 0;
  // True when the dialog closed with "do not alert" ticked.
  virtual bool RunNewVersionDialog(const CNewVersionOffer& offer) = 0;
  virtual EConnectChoice RunConnectPrompt(const std::string& caption, const std::string& text) = 0;
  // Hands a web address to the desktop's browser.
  virtual bool OpenUrl(const std::string& url) = 0;
};
