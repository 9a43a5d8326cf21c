// The main window's pages by index, and the one place that creates each.
#pragma once

class CProjDoc;
class CViewBase;
class QString;

enum EPageIndex {
  kPageCpu = 0,
  kPageFSet = 1,
  kPageEngineA = 2,
  kPageChannelsA = 3,
  kPageEngineB = 4,
  kPageChannelsB = 5,
  kPageVerbatim = 6,
  kPageGenCode = 7,
  kPageNotes = 8,
  kPageCount = 9,
};

// The tab caption of a page.
QString PageCaption(int pageIndex);

// The view of page `pageIndex`, owned by the caller.
CViewBase* CreatePage(int pageIndex, CProjDoc& doc);
