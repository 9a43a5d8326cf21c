// CConsoleUi: the version checker without a window, every box and dialog printed and answered with its default.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "base/ports.h"
#include "newscout/newscoutui.h"

class CConsoleUi : public INewscoutUi, public IMessagePort {
 public:
  explicit CConsoleUi(std::ostream& out) : m_out(out) {}

  // Message boxes: the caption with the message's kind and number, the text,
  // the buttons and the one taken (OK, or No for a question).
  EAnswer Show(const CMessage& message) override;

  void SetMessageCaption(const std::string& caption) override { m_caption = caption; }
  // Shows the settings, presses "Detect Now" once, then "Exit".
  void RunMainDialog(CMainDialogController& controller) override;
  bool RunNewVersionDialog(const CNewVersionOffer& offer) override;
  EConnectChoice RunConnectPrompt(const std::string& caption, const std::string& text) override;
  // Prints the address instead of opening it.
  bool OpenUrl(const std::string& url) override;
  // Nobody can type a password here: the dialog is printed and cancelled.
  bool AskCredentials(const CCredentialsRequest& request, std::string& user, std::string& password) override;

 private:
  void Header(const std::string& caption);
  void Text(const std::string& text);
  void Buttons(const std::vector<int>& buttonTextIds, int chosen);

  std::ostream& m_out;
  std::string m_caption;
};
