// CMainDialogController: what the main dialog does, apart from drawing it.
#pragma once

#include <string>

#include "newscout/serverquery.h"
#include "newscout/statuslog.h"

class CNewscoutApp;

// While one exists, the query's progress lines go to its status log.
class CMainDialogController : public IQueryProgress {
 public:
  explicit CMainDialogController(CNewscoutApp& app);
  ~CMainDialogController() override;
  CMainDialogController(const CMainDialogController&) = delete;
  CMainDialogController& operator=(const CMainDialogController&) = delete;

  // The values the controls show, and what they hold when the dialog closes.
  struct CControls {
    bool autoCheck = false;
    bool autoCheckEnabled = true;  // disabled for a profile that is never checked automatically
    int periodIndex = 0;           // once a day, a week, a month
    int connectMode = -1;          // the radio button that is set; -1 for none
  };
  CControls InitialControls() const;
  // The period list and the connect modes follow the check box.
  static bool OptionsEnabled(const CControls& controls) { return controls.autoCheckEnabled && controls.autoCheck; }

  std::string Caption() const;
  std::string LastRunText() const;
  CStatusLog& Log() { return m_log; }
  CNewscoutApp& App() { return m_app; }

  // Puts the greeting into the log.
  void Open();
  // One query; true when the download-page button should be enabled.
  bool DetectNow();
  // Stops a running query; DetectNow then returns with a line in the log and no box.
  void CancelQuery();
  bool QueryRunning() const;
  // False (after telling the user) when the page could not be opened.
  bool VisitDownloadPage();
  // Saves the controls' settings; true when the dialog may close, which the
  // user decides when saving fails.
  bool Exit(const CControls& controls);

  void Step(int textId) override;

 private:
  CNewscoutApp& m_app;
  CStatusLog m_log;
};
