// Console forms of the version checker's boxes and dialogs.
#include "newscout/consoleui.h"

#include <ostream>

#include "newscout/maindialogcontroller.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscouttexts.h"

namespace {

std::string Plain(int textId) { return StripAccelerator(NsCatalogText(textId)); }

std::string CheckMark(bool ticked, bool enabled) {
  if (!enabled)
    return "[-] ";
  return ticked ? "[x] " : "[ ] ";
}

}  // namespace

// Every text passes here on its way to the terminal, and many carry words of
// the server's or the profile's: no escape sequence may get through.
void CConsoleUi::Header(const std::string& caption) { m_out << "== " << DisplayableText(caption) << '\n'; }

void CConsoleUi::Text(const std::string& raw) {
  std::string text = DisplayableText(raw, true);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    m_out << line << '\n';
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
}

void CConsoleUi::Buttons(const std::vector<int>& buttonTextIds, int chosen) {
  for (std::size_t i = 0; i < buttonTextIds.size(); ++i)
    m_out << (i ? " [" : "[") << Plain(buttonTextIds[i]) << ']';
  m_out << "\n> " << Plain(chosen) << '\n';
  m_out.flush();
}

EAnswer CConsoleUi::Show(const CMessage& message) {
  std::string caption = m_caption.empty() ? NsCatalogText(NsText::kCaption) : m_caption;
  Header(caption + " (" + MessageKindName(message.kind) + " " + std::to_string(message.id) + ")");
  Text(message.text);
  if (message.kind == EMessageKind::Question) {
    Buttons({NsText::kYes, NsText::kNo}, NsText::kNo);
    return EAnswer::No;
  }
  Buttons({NsText::kOk}, NsText::kOk);
  return EAnswer::No;
}

void CConsoleUi::RunMainDialog(CMainDialogController& controller) {
  auto controls = controller.InitialControls();
  bool options = CMainDialogController::OptionsEnabled(controls);
  Header(controller.Caption());
  m_out << Plain(NsText::kOptionsGroup) << '\n'
        << CheckMark(controls.autoCheck, controls.autoCheckEnabled) << Plain(NsText::kAutoCheck) << '\n'
        << "    " << Plain(NsText::kOnceADay + controls.periodIndex) << '\n';
  for (int mode = 0; mode < 3; ++mode)
    m_out << (!options ? "(-) " : mode == controls.connectMode ? "(o) " : "( ) ")
          << Plain(NsText::kConnectModeAsk + mode) << '\n';
  m_out << Plain(NsText::kStatusGroup) << '\n'
        << Plain(NsText::kLastChecked) << ' ' << controller.LastRunText() << '\n';
  controller.Log().onAdded = [this](const std::string& added) { Text("| " + added.substr(0, added.size() - 2)); };
  controller.Open();
  Buttons({NsText::kDetectNow, NsText::kVisitPage, NsText::kExit}, NsText::kDetectNow);
  controller.DetectNow();
  Buttons({NsText::kDetectNow, NsText::kVisitPage, NsText::kExit}, NsText::kExit);
  if (!controller.Exit(controls))
    Text(NsCatalogText(NsText::kConsoleCloses));
  controller.Log().onAdded = nullptr;
}

bool CConsoleUi::RunNewVersionDialog(const CNewVersionOffer& offer) {
  Header(offer.caption);
  Text(offer.text);
  m_out << CheckMark(false, offer.ignoreEnabled) << Plain(NsText::kDoNotAlert) << '\n';
  Buttons({NsText::kVisitPageButton, NsText::kCancel}, NsText::kVisitPageButton);
  // When the page cannot be opened the dialog stays; the only other button closes it.
  if (!offer.visit())
    Buttons({NsText::kVisitPageButton, NsText::kCancel}, NsText::kCancel);
  return false;
}

EConnectChoice CConsoleUi::RunConnectPrompt(const std::string& caption, const std::string& text) {
  Header(caption);
  Text(text);
  Buttons({NsText::kConnect, NsText::kNotNow, NsText::kNotToday, NsText::kOptions}, NsText::kConnect);
  return EConnectChoice::Connect;
}

bool CConsoleUi::OpenUrl(const std::string& url) {
  Text(FormatMessageText(NsCatalogText(NsText::kDownloadPage), {url}));
  return true;
}

bool CConsoleUi::AskCredentials(const CCredentialsRequest& request, std::string&, std::string&) {
  Header(m_caption.empty() ? NsCatalogText(NsText::kCaption) : m_caption);
  Text(FormatMessageText(NsCatalogText(request.proxy ? NsText::kProxyLogin : NsText::kServerLogin),
                         {request.host, request.realm}));
  m_out << Plain(NsText::kUserName) << '\n' << Plain(NsText::kPassword) << '\n';
  Buttons({NsText::kOk, NsText::kCancel}, NsText::kCancel);
  return false;
}
