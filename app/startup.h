// Loading the knowledge base in start-up order, the same way for every program.
#pragma once

#include <string>

class CKnowledgeBase;

struct CLoadOptions {
  // Holds kivocfg.ini and kivocpu.ini; absolute, or relative to the program folder.
  std::string confFolder = "conf";
  // Absolute, or relative to the program folder, unless it came from the
  // command line: then it must name an existing folder as given, relative to
  // the current folder.
  std::string functionSetFolder = "fsets";
  bool functionSetFolderFromCommandLine = false;
};

// The options of the desktop program: its folder settings, FSETPATH applied.
CLoadOptions LoadOptionsFromSettings();

// Checks a function-set folder given on the command line (message 4039), loads
// kivocfg.ini and kivocpu.ini (either failing ends the load with a message that
// names the file), then the function sets and the applications, reporting
// progress. False when start-up cannot go on.
bool LoadKnowledgeBase(CKnowledgeBase& kb, const CLoadOptions& options);
