// Pictures of the real windows for the user's manual, grabbed as the program
// draws them (on any platform, offscreen included), so they follow the windows
// whenever those change.
#pragma once

#include <string>

class CMainFrame;

// Writes PNG files into `folder` (created when missing):
//   startup.png                 the start-up window
//   page-<caption>.png          the main window on each page it shows
//   menu-help.png               the Help menu, its notes submenu filled
//   dialog-options.png, dialog-about.png
//   dialog-<page>-<button>.png  each dialog a page's "..." button opens
// and help-documents.txt, the documents the Help menu would open, one path a
// line. Dialogs are closed as cancelled: the project is not changed. False,
// with `error` saying why, when a picture cannot be taken or written.
bool TakeScreenshots(CMainFrame& frame, const std::string& folder, std::string& error);
