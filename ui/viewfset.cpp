// The "Function Set" page: the project's function set, its functions and applications, and the MISC check.
#include "ui/viewfset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

#include "project/presumedsettings.h"
#include "project/projdoc.h"
#include "ui/uitext.h"
#include "ui/valuebinding.h"

namespace {

constexpr const char* kMiscSection = "MCR.SCMMISEN";
enum { kColNumber, kColFunction, kColApi };

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  // A screen reader does not take a table's or a list's name from its buddy
  // label, so the label's words become the view's own name.
  if (qobject_cast<QAbstractItemView*>(buddy)) {
    QString name = text;
    name.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
    buddy->setAccessibleName(name);
  }
  return label;
}

QLineEdit* ReadOnlyField(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  return field;
}

}  // namespace

CViewFSet::CViewFSet(CProjDoc& doc, int pageIndex, QWidget* parent)
    : CViewBase(doc, pageIndex, parent),
      m_setList(new QComboBox(this)),
      m_entryTable(ReadOnlyField(this)),
      m_miscValue(ReadOnlyField(this)),
      m_functions(new QTreeWidget(this)),
      m_misc(new QCheckBox(QStringLiteral("Enable SCM &MISC operation"), this)),
      m_apps(new QListWidget(this)),
      m_presumed(new QPushButton(QStringLiteral("Set the &Presumed Values"), this)) {
  m_functions->setRootIsDecorated(false);
  m_functions->setUniformRowHeights(true);
  m_functions->setHeaderLabels({CatalogQString(521), CatalogQString(522), CatalogQString(517)});
  m_functions->headerItem()->setTextAlignment(kColNumber, Qt::AlignRight | Qt::AlignVCenter);
  m_functions->setColumnWidth(kColNumber, 30);
  m_functions->setColumnWidth(kColFunction, 200);
  m_functions->setColumnWidth(kColApi, 30);
  // The last column takes whatever width the table gains.
  m_functions->header()->setStretchLastSection(true);
  m_functions->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label(QStringLiteral("Kivo Function &Set to be used"), m_setList, this), 0, 0, 1, 4);
  grid->addWidget(m_setList, 1, 0, 1, 4);
  grid->addWidget(Label(QStringLiteral("Entry table base:"), m_entryTable, this), 2, 0);
  grid->addWidget(m_entryTable, 2, 1);
  grid->addWidget(Label(QStringLiteral("MISC compare value:"), m_miscValue, this), 2, 2);
  grid->addWidget(m_miscValue, 2, 3);
  grid->addWidget(Label(QStringLiteral("Image &Functions:"), m_functions, this), 3, 0, 1, 2);
  grid->addWidget(m_functions, 4, 0, 1, 2);
  grid->addWidget(Label(QStringLiteral("Kivo &Applications Available for this Image"), m_apps, this), 3, 2, 1, 2);
  grid->addWidget(m_apps, 4, 2, 1, 2);
  grid->addWidget(m_misc, 5, 0, 1, 2);
  grid->addWidget(m_presumed, 5, 2, 1, 2, Qt::AlignRight);
  grid->setRowStretch(4, 1);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  connect(m_setList, &QComboBox::currentIndexChanged, this, [this] { ShowSet(SelectedSet()); });
  // The page's own choices first: the values are those of the set it stores.
  connect(m_presumed, &QPushButton::clicked, this, [this] {
    if (StoreControls(true))
      Doc().ApplyPresumedSettings();
  });
  // Filled at once: a project opened before the window exists is stored
  // from this page on the first save, whether or not the page was shown.
  LoadControls();
}

void CViewFSet::OnUpdate(int hint) {
  // A project created or opened: the library may offer the sets anew.
  if (hint == kHintEverything)
    FillSetList();
  CViewBase::OnUpdate(hint);
}

void CViewFSet::FillSetList() {
  QSignalBlocker blocker(m_setList);
  m_setList->clear();
  for (const auto& set : Doc().Kb().fsetLib.Sets())
    m_setList->addItem(ToQ(set->relativePath), QVariant::fromValue(static_cast<const void*>(set.get())));
  m_filled = true;
}

const CKivoFSet* CViewFSet::SelectedSet() const {
  int index = m_setList->currentIndex();
  if (index < 0)
    return nullptr;
  return static_cast<const CKivoFSet*>(m_setList->itemData(index).value<const void*>());
}

void CViewFSet::LoadControls() {
  if (!m_filled)
    FillSetList();
  ClearLockedControls();
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Load);
  CProjDoc::CEngineValues module = Doc().EngineValues(-1);
  CKivoVarValueSet* member = module.MemberWith(kMiscSection);
  CKivoVarValueSet none;
  ExchangeValueCheck(dx, m_misc, member ? *member : none, kMiscSection);
  int index = m_setList->findData(QVariant::fromValue(static_cast<const void*>(Doc().m_pFSet)));
  {
    QSignalBlocker blocker(m_setList);
    m_setList->setCurrentIndex(index);
  }
  ShowSet(SelectedSet());
  // The MISC check a set presumes is the set's, like the engine values it presumes.
  DisableLockedControls();
  std::vector<CProjectFinding> contradictions;
  CheckPresumedSettings(Doc(), contradictions);
  m_presumed->setEnabled(!contradictions.empty());
}

void CViewFSet::ShowSet(const CKivoFSet* set) {
  m_entryTable->setText(set ? ToQ(set->entryTable) : QString());
  m_miscValue->setText(set ? ToQ(set->miscValue) : QString());

  m_functions->setUpdatesEnabled(false);
  m_functions->clear();
  if (set) {
    const QIcon withApi = style()->standardIcon(QStyle::SP_DialogApplyButton);
    const QIcon withoutApi = style()->standardIcon(QStyle::SP_DialogCancelButton);
    int position = set->FirstSlot();
    while (const CKivoFunc* func = set->NextFunc(position)) {
      auto* row = new QTreeWidgetItem(m_functions);
      row->setText(kColNumber, QString::asprintf("%02d:", func->FunctionNumber()));
      row->setTextAlignment(kColNumber, Qt::AlignRight | Qt::AlignVCenter);
      row->setText(kColFunction, ToQ(func->name));
      row->setIcon(kColApi, func->hasApi ? withApi : withoutApi);
      QString apiText = func->hasApi ? QStringLiteral("Yes") : QStringLiteral("No");
      row->setData(kColApi, Qt::AccessibleTextRole, apiText);
      row->setToolTip(kColApi, apiText);
    }
  }
  m_functions->setUpdatesEnabled(true);

  m_apps->setUpdatesEnabled(false);
  m_apps->clear();
  if (set) {
    std::vector<const CKivoFapp*> apps;
    Doc().Kb().fappLib.CollectAvailable(apps, set);
    std::vector<std::string> names;
    for (const CKivoFapp* app : apps)
      names.push_back(app->title);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
      m_apps->addItem(ToQ(name));
  }
  m_apps->setUpdatesEnabled(true);
}

// The set and the check box are one step; the project asks before a change
// of set clears the configured functions.
bool CViewFSet::StoreControls(bool validate) {
  CProjDoc::CEngineValues module = Doc().EngineValues(-1);
  CValueExchange dx = PageExchange(*this, CValueExchange::EDirection::Save, !validate);
  CKivoVarValueSet* member = module.MemberWith(kMiscSection);
  CKivoVarValueSet none;
  if (!ExchangeValueCheck(dx, m_misc, member ? *member : none, kMiscSection))
    return false;
  // An unknown set of an opened project selects nothing; leaving the page
  // keeps it rather than dropping it.
  const CKivoFSet* selected = SelectedSet() ? SelectedSet() : Doc().m_pFSet;
  if (Doc().SetFunctionSetAndModule(selected, module, validate))
    return true;
  if (validate)
    m_setList->setFocus();
  return false;
}
