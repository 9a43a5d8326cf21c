// The main dialog's behaviour.
#include "newscout/maindialogcontroller.h"

#include "base/ports.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscouttexts.h"

CMainDialogController::CMainDialogController(CNewscoutApp& app) : m_app(app) { m_app.query.SetProgress(this); }

CMainDialogController::~CMainDialogController() { m_app.query.SetProgress(nullptr); }

CMainDialogController::CControls CMainDialogController::InitialControls() const {
  const CNewscoutProfile& p = m_app.profile;
  CControls controls;
  controls.autoCheckEnabled = p.manualOnly == 0;
  controls.autoCheck = controls.autoCheckEnabled && p.autoCheck != 0;
  controls.periodIndex = PeriodIndex(p.period);
  controls.connectMode = p.connectMode >= 0 && p.connectMode <= 2 ? p.connectMode : -1;
  return controls;
}

std::string CMainDialogController::Caption() const { return m_app.Caption(); }

std::string CMainDialogController::LastRunText() const { return ::LastRunText(m_app.profile.lastRunDate); }

void CMainDialogController::Open() { m_log.Add(NsCatalogText(4101)); }

bool CMainDialogController::DetectNow() {
  const CNewscoutProfile& p = m_app.profile;
  std::string message;
  if (m_app.query.Query(m_app.profile, m_app.settings, false, message)) {
    m_app.NoteResult(ECheckResult::Newer);
    m_app.ShowNewVersion(false);
    const std::string& version = m_app.query.Answer().version;
    if (!version.empty())
      m_log.Add(FormatMessageText(NsCatalogText(4102), {p.productName, version}));
    else
      m_log.Add(FormatMessageText(NsCatalogText(4100), {p.productName}));
    return true;
  }
  // The user stopped it and knows: a line in the log is enough.
  if (m_app.query.Cancelled()) {
    m_log.Add(message);
    return false;
  }
  m_app.NoteResult(message.empty() ? ECheckResult::UpToDate : ECheckResult::Failed);
  int id = message.empty() ? 4002 : 4003;
  std::string text = FormatMessageText(NsCatalogText(id), {p.productName, message});
  ShowText(id, EMessageKind::Warning, text);
  m_log.Add(text);
  return message.empty();
}

void CMainDialogController::CancelQuery() { m_app.query.Cancel(); }

bool CMainDialogController::QueryRunning() const { return m_app.query.IsRunning(); }

bool CMainDialogController::VisitDownloadPage() {
  if (m_app.OpenDownloadPage())
    return true;
  ShowMessage(4001, EMessageKind::Warning);
  return false;
}

bool CMainDialogController::Exit(const CControls& controls) {
  CNewscoutProfile& p = m_app.profile;
  // A check box that the profile disables shows nothing; the user's own
  // setting behind it is kept.
  if (controls.autoCheckEnabled)
    p.autoCheck = controls.autoCheck ? 1 : 0;
  p.period = PeriodLetter(controls.periodIndex);
  if (controls.connectMode >= 0)
    p.connectMode = controls.connectMode;
  if (m_app.settings.SaveSettings())
    return true;
  return AskYesNo(4009);
}

void CMainDialogController::Step(int textId) { m_log.Add(NsCatalogText(textId)); }
