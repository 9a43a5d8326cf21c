// The function dialog's two pages.
#include "ui/funcdialogpages.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include "knowledge/valuecontrols.h"
#include "project/funcdialogmodel.h"
#include "ui/balloontip.h"
#include "ui/funcdialogtables.h"
#include "ui/uitext.h"
#include "ui/valuebinding.h"

namespace {

constexpr int kChannelName = 512;
constexpr int kNumber = 518;
constexpr int kParameterName = 519;
constexpr int kValue = 520;
constexpr int kType = 523;
constexpr int kTipTitle = 550;

bool g_showTips = false;

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

QStringList ToQList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts)
    list << ToQ(text);
  return list;
}

// The section of each value group, in group order.
const char* const kGroupSections[] = {"FNAPI.MODE", "FNAPI.ETCS", "FNAPI.HSR", "FNAPI.PRIORITY"};

}  // namespace

// ---- The API page

CFuncApiPage::CFuncApiPage(CFuncDialogModel& model, QWidget* parent) : CFuncDialogPage(model, parent) {
  m_initCall = new QComboBox(this);
  m_initCall->setObjectName(QStringLiteral("initCall"));
  m_initCall->setSizeAdjustPolicy(QComboBox::AdjustToContents);

  m_channelRows = new CEditableRowsModel({CatalogQString(kChannelName), CatalogQString(kNumber)}, 1, this);
  m_channelEditor = new CChoiceDelegate(this);
  m_channels = MakeEditableTable(m_channelRows, m_channelEditor, QStringLiteral("Channels"), this);
  m_channels->setObjectName(QStringLiteral("channelsTable"));
  m_channels->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_assignment = new QLabel(this);
  m_assignment->setObjectName(QStringLiteral("assignmentText"));
  m_assignment->setWordWrap(true);
  m_assignment->setTextInteractionFlags(Qt::TextSelectableByMouse);

  m_paramRows = new CEditableRowsModel(
      {CatalogQString(kParameterName), CatalogQString(kValue), CatalogQString(kType)}, 1, this);
  m_paramEditor = new CChoiceDelegate(this);
  m_params = MakeEditableTable(m_paramRows, m_paramEditor, QStringLiteral("Parameter Values"), this);
  m_params->setObjectName(QStringLiteral("paramsTable"));
  // The names are short, but the caption must not be cut.
  m_params->horizontalHeader()->resizeSection(0, std::max(100, m_params->horizontalHeader()->sectionSizeHint(0)));
  m_params->horizontalHeader()->resizeSection(1, 150);
  m_params->horizontalHeader()->setStretchLastSection(true);

  m_error = new QLabel(this);
  m_error->setObjectName(QStringLiteral("errorLine"));
  m_error->setWordWrap(true);
  m_error->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
  m_error->hide();
  m_tips = new QCheckBox(QStringLiteral("Sho&w parameter tips"), this);
  m_tips->setObjectName(QStringLiteral("showTips"));
  m_tips->setChecked(g_showTips);

  auto* callRow = new QHBoxLayout;
  callRow->addWidget(Label(QStringLiteral("C-API to be used:"), m_initCall, this));
  callRow->addWidget(m_initCall, 1);
  auto* channelsHead = new QHBoxLayout;
  channelsHead->addWidget(Label(QStringLiteral("Channels"), m_channels, this));
  channelsHead->addWidget(m_assignment, 1);
  auto* channelsColumn = new QVBoxLayout;
  channelsColumn->addLayout(channelsHead);
  channelsColumn->addWidget(m_channels, 1);
  auto* paramsColumn = new QVBoxLayout;
  paramsColumn->addWidget(Label(QStringLiteral("Parameter Values"), m_params, this));
  paramsColumn->addWidget(m_params, 1);
  auto* tables = new QHBoxLayout;
  tables->addLayout(channelsColumn, 2);
  tables->addLayout(paramsColumn, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(callRow);
  layout->addLayout(tables, 1);
  layout->addWidget(m_error);
  layout->addWidget(m_tips);

  connect(m_initCall, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (m_loading || !m_model.ChooseInitCall(index))
      return;
    LoadTables();
    Q_EMIT Changed();
  });
  m_channelRows->onEdit = [this](int row, const QString& text) {
    if (m_model.SetChannelNumber(row, FromQ(text)))
      Q_EMIT Changed();
    // Text that is no number changes nothing; the cell shows the number again.
    LoadTables();
  };
  m_paramRows->onEdit = [this](int row, const QString& text) {
    m_model.SetParamValue(row, FromQ(text));
    LoadTables();
    Q_EMIT Changed();
  };
  connect(m_tips, &QCheckBox::toggled, this, [this](bool on) {
    g_showTips = on;
    if (on)
      ShowTipFor(m_params->currentIndex().row());
    else
      BalloonTip::Hide();
  });
  connect(m_params->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ShowTipFor(current.row()); });
}

bool CFuncApiPage::ShowTips() { return g_showTips; }

void CFuncApiPage::Load() {
  BalloonTip::Hide();
  m_loading = true;
  {
    QSignalBlocker blocker(m_initCall);
    m_initCall->clear();
    m_initCall->addItems(ToQList(m_model.InitCalls()));
    m_initCall->setCurrentIndex(m_model.CurrentInitCall());
  }
  m_tips->setChecked(g_showTips);
  m_loading = false;
  LoadTables();
}

void CFuncApiPage::LoadTables() {
  // A refill moves the current row by itself; only the user's moves show a tip.
  bool loading = m_loading;
  m_loading = true;
  QStringList free = ToQList(m_model.FreeChannelTexts());
  std::vector<CEditableRow> channels;
  for (const CFuncChannelRow& row : m_model.ChannelRows())
    channels.push_back({{ToQ(row.name), ToQ(row.number)}, row.assignable, free, true});
  m_channelRows->SetRows(std::move(channels));

  std::vector<CEditableRow> params;
  for (const CFuncParamRow& row : m_model.ParamRows())
    params.push_back(
        {{ToQ(row.name), ToQ(row.value), ToQ(row.type)}, true, ToQList(row.choices), row.typed, row.missing});
  m_paramRows->SetRows(std::move(params));

  m_assignment->setText(ToQ(m_model.AssignmentText()));
  std::string problem = m_model.ChannelProblem();
  m_error->setText(QStringLiteral("Error: ") + ToQ(problem));
  m_error->setVisible(!problem.empty());
  m_loading = loading;
}

void CFuncApiPage::Save() {
  m_channelEditor->CommitOpenEditor();
  m_paramEditor->CommitOpenEditor();
}

// The balloon stands above the row, pointing at a spot just above its left
// end, so that the row and its editor stay readable; below the row where the
// screen has no room above it.
void CFuncApiPage::ShowTipFor(int row) {
  if (m_loading)
    return;
  std::vector<CFuncParamRow> rows = m_model.ParamRows();
  if (!g_showTips || row < 0 || row >= static_cast<int>(rows.size()) ||
      rows[static_cast<std::size_t>(row)].description.empty()) {
    BalloonTip::Hide();
    return;
  }
  QString title = CatalogQString(kTipTitle);
  QString description = ToQ(rows[static_cast<std::size_t>(row)].description);
  QRect rect = m_params->visualRect(m_paramRows->index(row, 0));
  QPoint at = m_params->viewport()->mapToGlobal(rect.topLeft() + QPoint(10, -2));
  BalloonTip::ShowAt(m_params, at,
                     QStringLiteral("<b>%1</b><br>%2").arg(title.toHtmlEscaped(), description.toHtmlEscaped()));
  QWidget* tip = BalloonTip::Current();
  if (!tip)
    return;
  tip->setAccessibleName(title + QStringLiteral(": ") + description);
  const QScreen* screen = tip->screen();
  if (screen && at.y() - tip->height() < screen->availableGeometry().top())
    tip->move(m_params->viewport()->mapToGlobal(rect.bottomLeft() + QPoint(10, 2)));
  else
    tip->move(at.x(), at.y() - tip->height());
}

// ---- The non-API page

CFuncNonApiPage::CFuncNonApiPage(CFuncDialogModel& model, QWidget* parent) : CFuncDialogPage(model, parent) {
  m_channel = new QComboBox(this);
  m_channel->setObjectName(QStringLiteral("channelNumber"));
  const char* names[] = {"functionMode", "entryTableType", "initializationHsr", "priority"};
  for (int i = 0; i < 4; ++i) {
    m_lists[i] = new QComboBox(this);
    m_lists[i]->setObjectName(QString::fromLatin1(names[i]));
    m_lists[i]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  }
  m_count = new CNumberSpin(this);
  m_count->setObjectName(QStringLiteral("paramCount"));
  m_count->setRange(0, m_model.ParamCountLimit());

  m_paramRows = new CEditableRowsModel({CatalogQString(kParameterName), CatalogQString(kValue)}, 1, this);
  m_paramEditor = new CChoiceDelegate(this);
  m_params = MakeEditableTable(m_paramRows, m_paramEditor, QStringLiteral("Channel Parameters"), this);
  m_params->setObjectName(QStringLiteral("channelParams"));
  m_params->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

  auto* form = new QFormLayout;
  form->addRow(Label(QStringLiteral("Channel Number:"), m_channel, this), m_channel);
  form->addRow(Label(QStringLiteral("Function Mode:"), m_lists[0], this), m_lists[0]);
  form->addRow(Label(QStringLiteral("Entry Table Type:"), m_lists[1], this), m_lists[1]);
  form->addRow(Label(QStringLiteral("Initialization HSR:"), m_lists[2], this), m_lists[2]);
  form->addRow(Label(QStringLiteral("Priority:"), m_lists[3], this), m_lists[3]);
  form->addRow(Label(QStringLiteral("Number of channel parameters:"), m_count, this), m_count);
  auto* paramsColumn = new QVBoxLayout;
  paramsColumn->addWidget(Label(QStringLiteral("Channel Parameters"), m_params, this));
  paramsColumn->addWidget(m_params, 1);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  layout->addLayout(paramsColumn, 1);

  connect(m_channel, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!m_loading && m_model.SetChannelChoice(index))
      Q_EMIT Changed();
  });
  for (int group = 1; group <= 4; ++group)
    connect(m_lists[group - 1], &QComboBox::currentIndexChanged, this, [this, group] {
      if (!m_loading)
        SaveList(group);
    });
  connect(m_count, &CNumberSpin::textEdited, this, &CFuncNonApiPage::CountEdited);
  // A field left empty or out of range shows the count the table has.
  connect(m_count, &QAbstractSpinBox::editingFinished, this,
          [this] { m_count->setText(QString::number(m_model.ParamCount())); });
  m_paramRows->onEdit = [this](int row, const QString& text) {
    m_model.SetRawParamValue(row, FromQ(text));
    LoadParams();
    Q_EMIT Changed();
  };
}

void CFuncNonApiPage::Load() {
  m_loading = true;
  {
    QSignalBlocker blocker(m_channel);
    m_channel->clear();
    m_channel->addItems(ToQList(m_model.FreeChannelTexts()));
    m_channel->setCurrentIndex(m_model.ChannelChoice());
  }
  CValueExchange dx = ListExchange(CValueExchange::EDirection::Load);
  for (int group = 1; group <= 4; ++group) {
    CKivoVarValueSet none;
    CKivoVarValueSet* set = m_model.Group(group);
    ExchangeValueList(dx, m_lists[group - 1], set ? *set : none, kGroupSections[group - 1]);
  }
  m_count->setText(QString::number(m_model.ParamCount()));
  m_loading = false;
  LoadParams();
}

// The lists offer what the project's processor has, as the engine pages do.
CValueExchange CFuncNonApiPage::ListExchange(CValueExchange::EDirection direction) const {
  CValueExchange dx(direction);
  dx.inTabView = true;
  dx.kivo2Processor = m_model.Doc().m_cpu.isKivo2 != 0;
  return dx;
}

void CFuncNonApiPage::LoadParams() {
  std::vector<CEditableRow> rows;
  for (const CFuncParamRow& row : m_model.RawParamRows())
    rows.push_back({{ToQ(row.name), ToQ(row.value)}, true, ToQList(row.choices), row.typed, row.missing});
  m_paramRows->SetRows(std::move(rows));
}

void CFuncNonApiPage::Save() { m_paramEditor->CommitOpenEditor(); }

void CFuncNonApiPage::SaveList(int group) {
  CKivoVarValueSet* set = m_model.Group(group);
  if (!set)
    return;
  CValueExchange dx = ListExchange(CValueExchange::EDirection::Save);
  if (ExchangeValueList(dx, m_lists[group - 1], *set, kGroupSections[group - 1]))
    Q_EMIT Changed();
}

void CFuncNonApiPage::CountEdited(const QString& text) {
  int count = m_model.ClampParamCount(FromQ(text));
  int64_t typed = 0;
  // A number beyond the range is brought into it where the user sees it;
  // text that is no number stays until the field is left.
  if (ReadIntegerField(FromQ(text), typed) && typed != count)
    m_count->setText(QString::number(count));
  if (count == m_model.ParamCount())
    return;
  m_model.SetParamCount(count);
  LoadParams();
  Q_EMIT Changed();
}
