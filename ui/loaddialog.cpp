// The load dialog.
#include "ui/loaddialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "base/messagecatalog.h"
#include "ui/uitext.h"

namespace {

constexpr int kValueWidth = 130;
constexpr int kUnitWidth = 80;
constexpr int kNameWidth = 170;
const QColor kRefusedRow(255, 214, 214);

// Where the dialog was last, while the program runs.
std::optional<QRect>& LastGeometry() {
  static std::optional<QRect> geometry;
  return geometry;
}

std::size_t PositionOf(const CProjDoc& doc, const CProjDoc::CFuncInfo* func) {
  const auto& funcs = doc.Functions();
  auto found = std::find_if(funcs.begin(), funcs.end(), [func](const auto& f) { return f.get() == func; });
  return static_cast<std::size_t>(found - funcs.begin());
}

QString DisplayName(const CProjDoc::CFuncInfo& func) {
  if (!func.function)
    return {};
  return ToQ(func.function->title.empty() ? func.function->name : func.function->title);
}

QTableWidgetItem* FixedItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

CLoadDialog::CLoadDialog(CProjDoc& doc, const CProjDoc::CFuncInfo_Api& func, std::vector<CLoadInput> inputs,
                         QWidget* parent)
    : QDialog(parent),
      m_doc(doc),
      m_record(func.function),
      m_engine(func.engine),
      m_position(PositionOf(doc, &func)),
      m_inputs(std::move(inputs)),
      m_original(func.loadInputs),
      m_table(new QTableWidget(static_cast<int>(m_inputs.size()), 3, this)),
      m_delegate(new CLoadValueDelegate(this)) {
  setWindowTitle(ToQ(FormatMessageText("Calculate %1 Load", {FromQ(DisplayName(func))})));
  m_table->setHorizontalHeaderLabels({CatalogQString(519), CatalogQString(520), CatalogQString(525)});
  m_table->setAccessibleName(QStringLiteral("Load expression inputs"));
  m_table->setItemDelegateForColumn(kColValue, m_delegate);
  m_table->setEditTriggers(QAbstractItemView::AllEditTriggers);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setTabKeyNavigation(false);
  m_table->verticalHeader()->hide();
  QHeaderView* header = m_table->horizontalHeader();
  header->setSectionResizeMode(kColName, QHeaderView::Stretch);
  header->resizeSection(kColValue, kValueWidth);
  header->resizeSection(kColUnit, kUnitWidth);
  for (int row = 0; row < m_table->rowCount(); ++row) {
    const CLoadInput& input = m_inputs[static_cast<std::size_t>(row)];
    QTableWidgetItem* name = FixedItem(ToQ(input.name));
    if (!input.description.empty())
      name->setToolTip(ToQ(input.description));
    auto found = m_original.values.find(input.name);
    auto* value = new QTableWidgetItem(found == m_original.values.end() ? QString() : ToQ(found->second));
    QStringList choices;
    for (const std::string& choice : input.choices)
      choices << ToQ(choice);
    value->setData(CLoadValueDelegate::kChoicesRole, choices);
    m_table->setItem(row, kColName, name);
    m_table->setItem(row, kColValue, value);
    m_table->setItem(row, kColUnit, FixedItem(ToQ(input.unit)));
  }
  int rowsShown = std::clamp(m_table->rowCount(), 4, 10);
  m_table->setMinimumSize(kNameWidth + kValueWidth + kUnitWidth + 2 * m_table->frameWidth() +
                              m_table->verticalScrollBar()->sizeHint().width(),
                          header->sizeHint().height() + rowsShown * m_table->verticalHeader()->defaultSectionSize() +
                              2 * m_table->frameWidth());

  auto* buttons = new QDialogButtonBox(this);
  m_ok = buttons->addButton(QDialogButtonBox::Ok);
  m_test = buttons->addButton(QStringLiteral("&Test"), QDialogButtonBox::ActionRole);
  m_close = buttons->addButton(QDialogButtonBox::Close);
  connect(m_ok, &QPushButton::clicked, this, &CLoadDialog::accept);
  connect(m_test, &QPushButton::clicked, this, &CLoadDialog::Test);
  connect(m_close, &QPushButton::clicked, this, &CLoadDialog::reject);
  connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->row() == m_marked && item->column() == kColValue)
      ClearMark();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_table, 1);
  layout->addWidget(buttons);
  adjustSize();
  setMinimumSize(size());
  if (LastGeometry())
    setGeometry(*LastGeometry());
  if (m_table->rowCount() > 0)
    m_table->setCurrentCell(0, kColValue);
}

CLoadDialog::~CLoadDialog() = default;

const CProjDoc::CFuncInfo_Api* CLoadDialog::Function() const {
  const auto& funcs = m_doc.Functions();
  if (m_position >= funcs.size())
    return nullptr;
  const CProjDoc::CFuncInfo* func = funcs[m_position].get();
  if (!func->IsApi() || func->function != m_record || func->engine != m_engine)
    return nullptr;
  return static_cast<const CProjDoc::CFuncInfo_Api*>(func);
}

std::vector<std::string> CLoadDialog::Values() const {
  if (QWidget* editor = QApplication::focusWidget(); editor && m_table->viewport()->isAncestorOf(editor))
    m_delegate->Commit(editor);
  std::vector<std::string> values;
  for (int row = 0; row < m_table->rowCount(); ++row)
    values.push_back(FromQ(m_table->item(row, kColValue)->text()));
  return values;
}

bool CLoadDialog::Check() {
  ClearMark();
  int refused = FirstRefusedLoadInput(m_inputs, Values(), true);
  if (refused < 0)
    return true;
  Mark(refused);
  return false;
}

void CLoadDialog::Mark(int row) {
  // Marked only once painted: a change of the value cell clears the mark.
  for (int column = 0; column < m_table->columnCount(); ++column)
    m_table->item(row, column)->setBackground(kRefusedRow);
  m_marked = row;
  m_table->setFocus(Qt::OtherFocusReason);
  m_table->setCurrentCell(row, kColValue);
  m_table->scrollToItem(m_table->item(row, kColValue));
}

void CLoadDialog::ClearMark() {
  if (m_marked < 0)
    return;
  const int row = m_marked;
  m_marked = -1;
  for (int column = 0; column < m_table->columnCount(); ++column)
    m_table->item(row, column)->setBackground(QBrush());
}

void CLoadDialog::Test() {
  const CProjDoc::CFuncInfo_Api* func = Function();
  if (!func || !Check())
    return;
  CProjDoc::CLoadVarVals values = LoadInputsWith(func->loadInputs, m_inputs, Values());
  if (!(values == func->loadInputs) && m_doc.SetLoadInputs(func, values))
    ++m_tests;
}

void CLoadDialog::accept() {
  if (!Check())
    return;
  std::vector<std::string> values = Values();
  // The tests are taken back first, so that the dialog is one step of the
  // project's history however often its values were tried.
  TakeBackTests();
  if (const CProjDoc::CFuncInfo_Api* func = Function())
    m_doc.SetLoadInputs(func, LoadInputsWith(func->loadInputs, m_inputs, values));
  QDialog::accept();
}

void CLoadDialog::reject() {
  TakeBackTests();
  QDialog::reject();
}

void CLoadDialog::TakeBackTests() {
  for (; m_tests > 0 && m_doc.CanUndo(); --m_tests)
    m_doc.Undo();
  m_tests = 0;
  // Should the history no longer reach back that far, the inputs are set as they were.
  if (const CProjDoc::CFuncInfo_Api* func = Function(); func && !(func->loadInputs == m_original))
    m_doc.SetLoadInputs(func, m_original);
}

void CLoadDialog::done(int result) {
  LastGeometry() = geometry();
  QDialog::done(result);
}

// ---- The value cell

QWidget* CLoadValueDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
  const QString name = index.siblingAtColumn(CLoadDialog::kColName).data().toString();
  QStringList choices = index.data(kChoicesRole).toStringList();
  if (choices.isEmpty()) {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor->setAccessibleName(name);
    return editor;
  }
  // A value read from the project that the list does not hold stays on
  // offer, and so does no value at all: passing over the cell sets nothing.
  const QString current = index.data(Qt::EditRole).toString();
  if (!current.isEmpty() && !choices.contains(current))
    choices.prepend(current);
  choices.prepend(QString());
  auto* list = new QComboBox(parent);
  list->addItems(choices);
  list->setAccessibleName(name);
  connect(list, &QComboBox::activated, this, [this, list] {
    Q_EMIT const_cast<CLoadValueDelegate*>(this)->commitData(list);
  });
  return list;
}

void CLoadValueDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* list = qobject_cast<QComboBox*>(editor))
    list->setCurrentIndex(std::max(0, list->findText(index.data(Qt::EditRole).toString())));
  else
    QStyledItemDelegate::setEditorData(editor, index);
}

void CLoadValueDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* list = qobject_cast<QComboBox*>(editor))
    model->setData(index, list->currentText(), Qt::EditRole);
  else
    QStyledItemDelegate::setModelData(editor, model, index);
}
