// The function dialog's window.
#include "ui/funcdialogwindow.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/balloontip.h"
#include "ui/funcdialogpages.h"
#include "ui/uitext.h"

namespace {

// Where the user left the dialog, for its next opening while the program runs.
QByteArray g_geometry;

CFuncDialogModel::EKind ModelKind(CFuncDialogRequest::EKind kind) {
  switch (kind) {
    case CFuncDialogRequest::kAddApplication: return CFuncDialogModel::kAddApplication;
    case CFuncDialogRequest::kEdit: return CFuncDialogModel::kEdit;
    case CFuncDialogRequest::kAddFunction: break;
  }
  return CFuncDialogModel::kAddFunction;
}

QStringList ToQList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts)
    list << ToQ(text);
  return list;
}

}  // namespace

CFuncDialog::CFuncDialog(CProjDoc& doc, const CFuncDialogRequest& request, QWidget* parent)
    : QDialog(parent),
      m_model(std::make_unique<CFuncDialogModel>(doc, ModelKind(request.kind), request.engine, request.edited,
                                                 request.defaultChannel)) {
  setWindowTitle(ToQ(m_model->Caption()));
  setSizeGripEnabled(true);

  m_functions = new QComboBox(this);
  m_functions->setObjectName(QStringLiteral("functionList"));
  m_functions->addItems(ToQList(m_model->EntryTexts()));
  m_functions->setEnabled(m_model->Kind() != CFuncDialogModel::kEdit);
  auto* subject = new QLabel(ToQ(m_model->Subject()), this);
  subject->setBuddy(m_functions);

  m_pages = new QStackedWidget(this);
  m_apiPage = new CFuncApiPage(*m_model, m_pages);
  m_nonApiPage = new CFuncNonApiPage(*m_model, m_pages);
  m_pages->addWidget(m_apiPage);
  m_pages->addWidget(m_nonApiPage);

  m_code = new QPlainTextEdit(this);
  m_code->setObjectName(QStringLiteral("generatedCode"));
  m_code->setReadOnly(true);
  m_code->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_code->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_code->setTabStopDistance(8 * m_code->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  m_code->setMinimumHeight(m_code->fontMetrics().lineSpacing() * 10);
  auto* codeLabel = new QLabel(QStringLiteral("Generated Code:"), this);
  codeLabel->setBuddy(m_code);

  m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* functionRow = new QHBoxLayout;
  functionRow->addWidget(subject);
  functionRow->addWidget(m_functions, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(functionRow);
  layout->addWidget(m_pages, 3);
  layout->addWidget(codeLabel);
  layout->addWidget(m_code, 2);
  layout->addWidget(m_buttons);

  connect(m_functions, &QComboBox::currentIndexChanged, this, &CFuncDialog::SelectEntry);
  connect(m_apiPage, &CFuncDialogPage::Changed, this, &CFuncDialog::RefreshCode);
  connect(m_nonApiPage, &CFuncDialogPage::Changed, this, &CFuncDialog::RefreshCode);
  connect(m_buttons, &QDialogButtonBox::accepted, this, &CFuncDialog::accept);
  connect(m_buttons, &QDialogButtonBox::rejected, this, &CFuncDialog::reject);

  SelectEntry(m_functions->currentIndex());
  resize(std::max(sizeHint().width(), 720), std::max(sizeHint().height(), 560));
}

CFuncDialog::~CFuncDialog() = default;

CFuncDialogPage* CFuncDialog::VisiblePage() const {
  return static_cast<CFuncDialogPage*>(m_pages->currentWidget());
}

// The page goes on showing the entry it was loaded from until it is saved:
// each entry keeps its own copy, so coming back to one finds the edits made.
void CFuncDialog::SelectEntry(int index) {
  VisiblePage()->Save();
  if (!m_model->Select(index))
    return;
  CFuncDialogPage* page = m_model->CurrentIsApi() ? static_cast<CFuncDialogPage*>(m_apiPage) : m_nonApiPage;
  m_pages->setCurrentWidget(page);
  page->Load();
  RefreshCode();
}

void CFuncDialog::RefreshCode() { m_code->setPlainText(ToQ(m_model->GeneratedCode())); }

std::unique_ptr<CProjDoc::CFuncInfo> CFuncDialog::TakeAccepted() { return std::move(m_accepted); }

void CFuncDialog::accept() {
  VisiblePage()->Save();
  if (!m_model->CheckForAccept())
    return;
  m_accepted = m_model->TakeAccepted();
  QDialog::accept();
}

void CFuncDialog::done(int result) {
  BalloonTip::Hide();
  g_geometry = saveGeometry();
  QDialog::done(result);
}

void CFuncDialog::showEvent(QShowEvent* event) {
  if (!g_geometry.isEmpty())
    restoreGeometry(g_geometry);
  QDialog::showEvent(event);
  WidenFunctionList();
}

// The list opens wide enough for its longest entry, never narrower than the field.
void CFuncDialog::WidenFunctionList() {
  QFontMetrics metrics(m_functions->view()->font());
  int longest = 0;
  for (int i = 0; i < m_functions->count(); ++i)
    longest = std::max(longest, metrics.horizontalAdvance(m_functions->itemText(i)));
  int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_functions);
  m_functions->view()->setMinimumWidth(std::max(longest + scrollBar + 12, m_functions->width()));
}
