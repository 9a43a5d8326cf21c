// The views of the main window's pages, one line per page.
#include "ui/pages.h"

#include <QLabel>
#include <QString>
#include <QVBoxLayout>

#include "ui/uitext.h"
#include "ui/viewbase.h"
#include "ui/viewchanns.h"
#include "ui/viewcpu.h"
#include "ui/viewengine.h"
#include "ui/viewfset.h"
#include "ui/viewgencode.h"
#include "ui/viewnotes.h"
#include "ui/viewverbatim.h"

namespace {

// Stands in for a page whose form is not there yet: it shows its caption and
// holds nothing of the project.
class CPlaceholderView final : public CViewBase {
 public:
  CPlaceholderView(CProjDoc& doc, int pageIndex) : CViewBase(doc, pageIndex) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(PageCaption(pageIndex), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    setMinimumSize(560, 400);
  }
  void LoadControls() override {}
  bool StoreControls(bool) override { return true; }
};

}  // namespace

QString PageCaption(int pageIndex) {
  static const int kCaptions[kPageCount] = {500, 501, 504, 506, 505, 507, 508, 580, 509};
  if (pageIndex < 0 || pageIndex >= kPageCount)
    return {};
  return CatalogQString(kCaptions[pageIndex]);
}

CViewBase* CreatePage(int pageIndex, CProjDoc& doc) {
  switch (pageIndex) {
    case kPageCpu: return new CViewCPU(doc, pageIndex);
    case kPageFSet: return new CViewFSet(doc, pageIndex);
    case kPageEngineA: return new CViewEngine(doc, pageIndex);
    case kPageChannelsA: return new CViewChanns(doc, pageIndex);
    case kPageEngineB: return new CViewEngine(doc, pageIndex);
    case kPageChannelsB: return new CViewChanns(doc, pageIndex);
    case kPageVerbatim: return new CViewVerbatim(doc, pageIndex);
    case kPageGenCode: return new CViewGenCode(doc, pageIndex);
    case kPageNotes: return new CViewNotes(doc, pageIndex);
    default: return nullptr;
  }
}
