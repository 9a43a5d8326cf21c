// CNewscoutApp: the version checker's start-up, from the command line to the last dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "newscout/checkschedule.h"
#include "newscout/newscoutcommandline.h"
#include "newscout/newscoutprofile.h"
#include "newscout/newscoutsettings.h"
#include "newscout/newscoutui.h"
#include "newscout/serverquery.h"

// What the last query found, for the exit status of a console run.
enum class ECheckResult { NotAsked, UpToDate, Newer, Failed };

class CNewscoutApp {
 public:
  explicit CNewscoutApp(INewscoutUi& ui);

  // Exit status of a console run, for scripts.
  static constexpr int kExitUpToDate = 0;  // also: no check was due
  static constexpr int kExitNewer = 10;
  static constexpr int kExitError = 1;     // profile, network or server

  // Runs the whole program. With a window the exit code is 1 when the profile
  // could not be read and 0 otherwise; in console mode it is one of the
  // kExit values above, from the last query made.
  int Run(const CNewscoutCommandLine& commandLine, const std::string& programFolder);
  // The main dialog reports each of its queries here.
  void NoteResult(ECheckResult result) { m_result = result; }

  // The first "*.nsp" file in the folder (FindVersionCheckProfile); empty
  // when there is none.
  static std::string FindProfile(const std::string& folder);

  // Opens the download link in the browser; only web addresses are opened.
  bool OpenDownloadPage();
  // The new-version dialog for the last answer; true when "do not alert" was ticked.
  bool ShowNewVersion(bool ignoreEnabled);
  // The dialogs' caption with the product's name in it.
  std::string Caption() const;

  INewscoutUi& Ui() { return m_ui; }

  CNewscoutCommandLine commandLine;
  CNewscoutProfile profile;
  CNewscoutSettings settings{profile};
  CServerQuery query;

  // The clocks and the connection test, replaceable for tests.
  std::function<CNewscoutDate()> now = &CNewscoutDate::LocalNow;
  std::function<std::uint32_t()> tickCount = &SystemTickCount;
  std::function<bool()> isOnline = &SystemReportsInternet;

 private:
  bool CheckIsDue(bool& showGui);
  void RunAutomaticCheck();

  int ExitCode(bool profileRead) const;

  INewscoutUi& m_ui;
  ECheckResult m_result = ECheckResult::NotAsked;
};
