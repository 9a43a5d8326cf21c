// The "Engine A Channels" and "Engine B Channels" pages.
#include "ui/viewchanns.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "base/messagecatalog.h"
#include "project/channelcommands.h"
#include "project/loadinputs.h"
#include "ui/balloontip.h"
#include "ui/channelsmodel.h"
#include "ui/funcdialog.h"
#include "ui/loaddialog.h"
#include "ui/mainframe.h"
#include "ui/pages.h"
#include "ui/uitext.h"
#include "ui/viewtab.h"

namespace {

constexpr int kMsgSeeAlso = 568;
constexpr int kSeeAlsoTitle = 569;
constexpr int kVisibleRows = 12;

QPushButton* CommandButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  // A click leaves the focus in the table, whose focused row the Add
  // commands start from.
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace

CViewChanns::CViewChanns(CProjDoc& doc, int pageIndex, QWidget* parent)
    : CViewBase(doc, pageIndex, parent),
      m_model(new CChannelsModel(doc, Engine(), this)),
      m_delegate(new CChannelsDelegate(this)),
      m_table(new QTableView(this)),
      m_addApp(CommandButton(QStringLiteral("Add &Application..."), this)),
      m_addFunc(CommandButton(QStringLiteral("Add &Function..."), this)),
      m_edit(CommandButton(QStringLiteral("E&dit..."), this)),
      m_remove(CommandButton(QStringLiteral("&Remove"), this)),
      m_load(CommandButton(QStringLiteral("Load..."), this)),
      m_total(new QLineEdit(this)),
      m_menu(new QMenu(QStringLiteral("CHANNELS"), this)) {
  m_table->setModel(m_model);
  m_table->setItemDelegate(m_delegate);
  m_table->setAccessibleName(PageCaption(pageIndex));
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_table->setEditTriggers(QAbstractItemView::EditKeyPressed);
  m_table->setTabKeyNavigation(false);
  m_table->setWordWrap(false);
  m_table->setContextMenuPolicy(Qt::CustomContextMenu);
  m_table->verticalHeader()->hide();
  m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
  QHeaderView* header = m_table->horizontalHeader();
  header->setHighlightSections(false);
  header->setMinimumSectionSize(20);
  int width = 0;
  for (int column = 0; column < CChannelsModel::kColumnCount; ++column) {
    header->resizeSection(column, CChannelsModel::ColumnWidth(column));
    width += CChannelsModel::ColumnWidth(column);
  }
  // The room the page has beyond the columns' widths goes to the names.
  header->setSectionResizeMode(CChannelsModel::kColFunction, QHeaderView::Stretch);
  // Every column and half the channels in view without scrolling sideways.
  m_table->setMinimumSize(width + 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width(),
                          header->sizeHint().height() + kVisibleRows * m_table->verticalHeader()->defaultSectionSize() +
                              2 * m_table->frameWidth());

  m_total->setReadOnly(true);
  m_total->setMaximumWidth(m_total->fontMetrics().horizontalAdvance(QStringLiteral("0000.0 %")) + 16);
  auto* totalLabel = new QLabel(QStringLiteral("Total Load:"), this);
  totalLabel->setBuddy(m_total);

  // Alt+F is the File menu's too: the page's filter takes it while the
  // focus is here, and the menu keeps it everywhere else.
  m_addFunc->setShortcut(QKeySequence());
  auto* commands = new QHBoxLayout;
  for (QPushButton* button : {m_addApp, m_addFunc, m_edit, m_remove, m_load})
    commands->addWidget(button);
  commands->addStretch(1);
  commands->addWidget(totalLabel);
  commands->addWidget(m_total);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_table, 1);
  layout->addLayout(commands);

  AddMenuCommand(QStringLiteral("Add &Application..."), QKeySequence(Qt::ALT | Qt::Key_A), &CViewChanns::AddApplication);
  AddMenuCommand(QStringLiteral("Add &Function..."), QKeySequence(Qt::ALT | Qt::Key_F), &CViewChanns::AddFunction);
  m_editAction = AddMenuCommand(QStringLiteral("&Edit Item..."), QKeySequence(Qt::ALT | Qt::Key_E), &CViewChanns::EditItem);
  m_removeAction =
      AddMenuCommand(QStringLiteral("&Remove Item..."), QKeySequence(Qt::ALT | Qt::Key_R), &CViewChanns::RemoveItems);

  connect(m_addApp, &QPushButton::clicked, this, &CViewChanns::AddApplication);
  connect(m_addFunc, &QPushButton::clicked, this, &CViewChanns::AddFunction);
  connect(m_edit, &QPushButton::clicked, this, &CViewChanns::EditItem);
  connect(m_remove, &QPushButton::clicked, this, &CViewChanns::RemoveItems);
  connect(m_load, &QPushButton::clicked, this, &CViewChanns::Load);
  connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (!m_refilling)
      ApplySelection();
  });
  connect(m_table, &QTableView::doubleClicked, this, &CViewChanns::OnDoubleClick);
  connect(m_table, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() == CChannelsModel::kColOdis) {
      m_delegate->OpenListNext();
      m_table->edit(index);
    }
  });
  connect(m_delegate, &CChannelsDelegate::LoadPressed, this, &CViewChanns::OnLoadPressed);
  connect(m_table, &QTableView::customContextMenuRequested, this, [this](const QPoint& pos) {
    m_menuFromTable = true;
    m_menu->exec(m_table->viewport()->mapToGlobal(pos));
    m_menuFromTable = false;
  });
  // "Add &Function" and the accelerator of Edit Item share their keys with
  // the File and Edit menus; while the focus is on this page they are the
  // page's, as the menu texts say.
  qApp->installEventFilter(this);
  functionDialog = [this](const CFuncDialogRequest& request) { return RunFunctionDialog(this, Doc(), request); };
  Refill();
}

QAction* CViewChanns::AddMenuCommand(const QString& text, const QKeySequence& key, void (CViewChanns::*command)()) {
  QAction* action = m_menu->addAction(text);
  action->setShortcut(key);
  // The keys are taken by the buttons and the page's own filter; the menu only shows them.
  action->setShortcutContext(Qt::WidgetShortcut);
  connect(action, &QAction::triggered, this, command);
  return action;
}

void CViewChanns::OnUpdate(int hint) {
  switch (hint) {
    case kHintEverything: Refill(); break;
    case kHintLoadInputs:
      m_model->RefreshLoads();
      ApplySelection();
      break;
    case kHintEngineA:
    case kHintEngineB:
      if (hint - kHintEngineA == Engine())
        Refill();
      break;
    case kHintAllEngines: Refill(); break;
    default: break;
  }
}

void CViewChanns::LoadControls() { Refill(); }

void CViewChanns::Refill() {
  m_refilling = true;
  m_model->Refill();
  m_refilling = false;
  ApplySelection();
}

void CViewChanns::ApplySelection() {
  const std::vector<const CProjDoc::CFuncInfo*> selected = SelectedFunctions();
  m_model->SetMarkedRows(RowsOfFunctions(m_model->Table(), selected));
  const CChannelCommandStates states = ChannelCommandStates(selected);
  m_edit->setEnabled(states.edit);
  m_editAction->setEnabled(states.edit);
  m_remove->setEnabled(states.remove);
  m_removeAction->setEnabled(states.remove);
  m_load->setEnabled(states.load);
  m_total->setText(ToQ(m_model->Table().totalLoadText));
}

std::vector<const CProjDoc::CFuncInfo*> CViewChanns::SelectedFunctions() const {
  std::vector<int> rows;
  for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
    rows.push_back(index.row());
  return ::SelectedFunctions(m_model->Table(), rows);
}

void CViewChanns::SelectChannel(int channel) {
  if (channel < 0 || channel >= m_model->rowCount())
    return;
  QModelIndex index = m_model->index(channel, CChannelsModel::kColChannel);
  m_table->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_table->scrollTo(index);
  m_table->setFocus(Qt::OtherFocusReason);
}

bool CViewChanns::SelectChannelRow(int channel) {
  if (channel < 0 || channel >= m_model->rowCount())
    return false;
  SelectChannel(channel);
  return true;
}

void CViewChanns::SelectChannels(const std::vector<int>& channels) {
  QItemSelection rows;
  int first = -1;
  for (int channel : channels) {
    if (channel < 0 || channel >= m_model->rowCount())
      continue;
    if (first < 0)
      first = channel;
    rows.select(m_model->index(channel, 0), m_model->index(channel, CChannelsModel::kColumnCount - 1));
  }
  m_table->setFocus(Qt::OtherFocusReason);
  if (first < 0)
    return;
  QModelIndex current = m_model->index(first, CChannelsModel::kColChannel);
  QItemSelectionModel* selection = m_table->selectionModel();
  selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_table->scrollTo(current);
}

int CViewChanns::DefaultChannel() const {
  if (!m_table->hasFocus() && !m_menuFromTable)
    return -1;
  QModelIndex current = m_table->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void CViewChanns::OnDoubleClick(const QModelIndex& index) {
  // The flag cells are edited in place: a quick second click is no request
  // for the function dialog.
  if (!index.isValid() || index.column() == CChannelsModel::kColCie || index.column() == CChannelsModel::kColCdtre ||
      index.column() == CChannelsModel::kColOdis)
    return;
  if (m_model->Table().rows[static_cast<std::size_t>(index.row())].func)
    EditItem();
  else
    AddFunction();
}

void CViewChanns::OnLoadPressed(int row) {
  SelectChannel(row);
  Load();
}

void CViewChanns::AddFunction() { Add(false); }

void CViewChanns::AddApplication() { Add(true); }

void CViewChanns::Add(bool application) {
  if (!CheckAddCommand(Doc(), application))
    return;
  CFuncDialogRequest request;
  request.kind = application ? CFuncDialogRequest::kAddApplication : CFuncDialogRequest::kAddFunction;
  request.engine = Engine();
  request.defaultChannel = AddStartChannel(m_model->Table(), DefaultChannel());
  std::unique_ptr<CProjDoc::CFuncInfo> func = functionDialog(request);
  if (!func)
    return;
  const CProjDoc::CFuncInfo* added = func.get();
  if (Doc().AddConfiguredFunction(std::move(func)))
    ShowNewFunction(added);
}

void CViewChanns::EditItem() {
  const std::vector<const CProjDoc::CFuncInfo*> selected = SelectedFunctions();
  if (ChannelCommandStates(selected).edit)
    EditFunction(*selected.front());
}

void CViewChanns::EditFunction(const CProjDoc::CFuncInfo& edited) {
  if (!CheckAddCommand(Doc(), false))
    return;
  CFuncDialogRequest request;
  request.kind = CFuncDialogRequest::kEdit;
  request.engine = Engine();
  request.edited = &edited;
  request.defaultChannel = DefaultChannel();
  // Opened from the keyboard with the focus on a button: another init call's
  // defaults start where the function stands, not on the first free channel.
  if (request.defaultChannel < 0)
    request.defaultChannel = edited.LowestChannel();
  std::unique_ptr<CProjDoc::CFuncInfo> func = functionDialog(request);
  if (!func)
    return;
  const CProjDoc::CFuncInfo* replacement = func.get();
  if (Doc().ReplaceConfiguredFunction(&edited, std::move(func)))
    ShowNewFunction(replacement);
}

void CViewChanns::RemoveItems() {
  const std::vector<const CProjDoc::CFuncInfo*> selected = SelectedFunctions();
  if (!ChannelCommandStates(selected).remove || !ConfirmRemoveFunctions(selected.size()))
    return;
  Doc().RemoveConfiguredFunctions(selected);
}

void CViewChanns::Load() {
  const std::vector<const CProjDoc::CFuncInfo*> selected = SelectedFunctions();
  if (!ChannelCommandStates(selected).load)
    return;
  const auto& func = static_cast<const CProjDoc::CFuncInfo_Api&>(*selected.front());
  std::vector<CLoadInput> inputs;
  if (!PrepareLoadCommand(func, inputs))
    return;
  CLoadDialog dialog(Doc(), func, std::move(inputs), this);
  dialog.exec();
}

void CViewChanns::ShowNewFunction(const CProjDoc::CFuncInfo* func) {
  if (func->engine == Engine())
    SelectChannel(func->LowestChannel());
  if (HasNotes(Doc(), func))
    PointAtNotes(*func);
}

void CViewChanns::PointAtNotes(const CProjDoc::CFuncInfo& func) {
  std::string title = func.function ? (func.function->title.empty() ? func.function->name : func.function->title)
                                    : std::string();
  QString text = CatalogQString(kSeeAlsoTitle) + QLatin1Char('\n') +
                 ToQ(FormatMessageText(CatalogText(kMsgSeeAlso), {title}));
  int tab = Frame() ? Frame()->Tabs()->TabOfPage(kPageNotes) : -1;
  if (tab < 0) {
    BalloonTip::ShowFor(m_table, text);
    return;
  }
  QTabBar* bar = Frame()->Tabs()->TabBar();
  BalloonTip::ShowAt(this, bar->mapToGlobal(bar->tabRect(tab).center()), text);
}

bool CViewChanns::IsPageShortcut(QEvent* event) const {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::AltModifier || (key->key() != Qt::Key_F && key->key() != Qt::Key_E))
    return false;
  QWidget* focus = QApplication::focusWidget();
  return focus && isVisible() && isAncestorOf(focus) && !QApplication::activePopupWidget();
}

bool CViewChanns::eventFilter(QObject* watched, QEvent* event) {
  if (!IsPageShortcut(event))
    return CViewBase::eventFilter(watched, event);
  event->accept();
  if (event->type() == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F)
      AddFunction();
    else
      EditItem();
  }
  return true;
}
