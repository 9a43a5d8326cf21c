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

class CNewscoutApp {
 public:
  explicit CNewscoutApp(INewscoutUi& ui);

  // Runs the whole program; the exit code is 1 when the profile could not be
  // read, 0 otherwise.
  int Run(const CNewscoutCommandLine& commandLine, const std::string& programFolder);

  // The first "*.nsp" file in the folder, in the order the folder lists them;
  // empty when there is none.
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

  INewscoutUi& m_ui;
};
