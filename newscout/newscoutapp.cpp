// Version checker start-up.
#include "newscout/newscoutapp.h"

#include "base/messagecatalog.h"
#include "base/paths.h"
#include "base/ports.h"
#include "newscout/maindialogcontroller.h"
#include "newscout/newscouttexts.h"

CNewscoutApp::CNewscoutApp(INewscoutUi& ui) : m_ui(ui) { query.SetCredentialsPrompt(&m_ui); }

// The desktop program offers the check by the same rule, so it never starts a
// checker that would find no profile.
std::string CNewscoutApp::FindProfile(const std::string& folder) { return FindVersionCheckProfile(folder); }

std::string CNewscoutApp::Caption() const {
  return ApplyCaptionRule(NsCatalogText(NsText::kCaption), profile.productName);
}

int CNewscoutApp::ExitCode(bool profileRead) const {
  if (!commandLine.console)
    return profileRead ? 0 : 1;
  if (!profileRead || m_result == ECheckResult::Failed)
    return kExitError;
  return m_result == ECheckResult::Newer ? kExitNewer : kExitUpToDate;
}

int CNewscoutApp::Run(const CNewscoutCommandLine& line, const std::string& programFolder) {
  commandLine = line;
  m_result = ECheckResult::NotAsked;
  std::string path = line.profilePath.empty() ? FindProfile(programFolder) : line.profilePath;
  if (!profile.LoadProfile(path)) {
    if (line.gui || line.force || line.noUpdateMessage || line.console)
      ShowText(4000, EMessageKind::Information,
               FormatMessageText(NsCatalogText(4000), {path}) + "\n" + profile.LoadErrorText());
    return ExitCode(false);
  }
  settings.LoadSettings();
  m_ui.SetMessageCaption(Caption());
  bool showGui = line.gui || profile.manualOnly != 0;
  if (!showGui && !line.force && !CheckIsDue(showGui)) {
    if (line.noUpdateMessage)
      ShowMessage(4008, EMessageKind::Information);
    return ExitCode(true);
  }
  if (showGui) {
    CMainDialogController controller(*this);
    m_ui.RunMainDialog(controller);
    return ExitCode(true);
  }
  RunAutomaticCheck();
  return ExitCode(true);
}

bool CNewscoutApp::CheckIsDue(bool& showGui) {
  CCheckSchedule schedule(profile, settings);
  schedule.askConnect = [this] {
    return m_ui.RunConnectPrompt(Caption(), ConnectPromptText(profile.serverHost, profile.productName));
  };
  schedule.isOnline = isOnline;
  return schedule.IsCheckDue(now(), tickCount(), showGui);
}

void CNewscoutApp::RunAutomaticCheck() {
  std::string message;
  bool newer = query.Query(profile, settings, true, message);
  m_result = newer ? ECheckResult::Newer : message.empty() ? ECheckResult::UpToDate : ECheckResult::Failed;
  if (newer) {
    if (ShowNewVersion(true))
      settings.WriteIgnoreDate(query.Answer().date);
    return;
  }
  if (!commandLine.noUpdateMessage)
    return;
  if (message.empty())
    ShowMessage(4002, EMessageKind::Warning, {profile.productName});
  else
    ShowMessage(4003, EMessageKind::Warning, {profile.productName, message});
}

bool CNewscoutApp::OpenDownloadPage() {
  if (!IsWebLink(profile.downloadLink))
    return false;
  return m_ui.OpenUrl(profile.downloadLink);
}

bool CNewscoutApp::ShowNewVersion(bool ignoreEnabled) {
  CNewVersionOffer offer;
  offer.caption = Caption();
  offer.text = NewVersionText(profile.serverHost, profile.productName, query.Answer().version);
  offer.ignoreEnabled = ignoreEnabled;
  offer.visit = [this] {
    if (OpenDownloadPage())
      return true;
    ShowMessage(4001, EMessageKind::Warning);
    return false;
  };
  bool ticked = m_ui.RunNewVersionDialog(offer);
  return ignoreEnabled && ticked;
}
