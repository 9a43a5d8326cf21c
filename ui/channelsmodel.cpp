// The channels page's table model and the delegate of its in-place cells.
#include "ui/channelsmodel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "project/channelcommands.h"
#include "ui/uitext.h"

namespace {

struct CColumn {
  int caption;
  int width;
  Qt::Alignment alignment;
};

constexpr CColumn kColumns[CChannelsModel::kColumnCount] = {
    {510, 40, Qt::AlignRight},  {511, 180, Qt::AlignLeft}, {512, 100, Qt::AlignLeft},
    {513, 70, Qt::AlignLeft},   {524, 50, Qt::AlignLeft},  {514, 35, Qt::AlignHCenter},
    {516, 50, Qt::AlignHCenter}, {515, 50, Qt::AlignLeft}, {517, 60, Qt::AlignLeft},
};

constexpr int kTipLoadCommand = 32780;
constexpr int kTipNoCommand = 32781;

const QColor kMarkedRow(255, 255, 224);
const QColor kUnknownLoad(176, 0, 0);

bool IsFlagColumn(int column) { return column == CChannelsModel::kColCie || column == CChannelsModel::kColCdtre; }

// A round badge: a tick for a function with a C API, a bar for one without.
QIcon ApiIcon(bool api) {
  QPixmap pixmap(14, 14);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(api ? QColor(46, 139, 87) : QColor(150, 150, 150));
  painter.drawEllipse(QRectF(1, 1, 12, 12));
  painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  if (api) {
    QPainterPath tick;
    tick.moveTo(4, 7.5);
    tick.lineTo(6.2, 9.7);
    tick.lineTo(10, 5);
    painter.drawPath(tick);
  } else {
    painter.drawLine(QPointF(4.5, 7), QPointF(9.5, 7));
  }
  return QIcon(pixmap);
}

}  // namespace

// ---- The model

CChannelsModel::CChannelsModel(CProjDoc& doc, int engine, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc), m_engine(engine) {
  m_table = BuildChannelTable(m_doc, m_engine);
  m_marked.assign(m_table.rows.size(), false);
}

void CChannelsModel::Refill() {
  m_table = BuildChannelTable(m_doc, m_engine);
  m_marked.resize(m_table.rows.size(), false);
  Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

void CChannelsModel::RefreshLoads() {
  m_table = BuildChannelTable(m_doc, m_engine);
  Q_EMIT dataChanged(index(0, kColLoad), index(rowCount() - 1, kColLoad));
}

void CChannelsModel::SetMarkedRows(const std::vector<bool>& rows) {
  std::vector<bool> marked = rows;
  marked.resize(m_table.rows.size(), false);
  for (int row = 0; row < rowCount(); ++row)
    if (marked[static_cast<std::size_t>(row)] != m_marked[static_cast<std::size_t>(row)]) {
      m_marked[static_cast<std::size_t>(row)] = marked[static_cast<std::size_t>(row)];
      Q_EMIT dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::BackgroundRole});
    }
}

bool CChannelsModel::IsMarked(int row) const {
  return row >= 0 && row < static_cast<int>(m_marked.size()) && m_marked[static_cast<std::size_t>(row)];
}

const QStringList& CChannelsModel::OdisChoices() {
  static const QStringList choices = {QStringLiteral("Off"), QStringLiteral("Low"), QStringLiteral("High")};
  return choices;
}

int CChannelsModel::ColumnWidth(int column) {
  return column >= 0 && column < kColumnCount ? kColumns[column].width : 0;
}

Qt::Alignment CChannelsModel::ColumnAlignment(int column) {
  if (column < 0 || column >= kColumnCount)
    return Qt::AlignLeft | Qt::AlignVCenter;
  return kColumns[column].alignment | Qt::AlignVCenter;
}

int CChannelsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_table.rows.size());
}

int CChannelsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

const CChannelRow* CChannelsModel::Row(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
    return nullptr;
  return &m_table.rows[static_cast<std::size_t>(index.row())];
}

// Lighter and darker pairs tell the two halves of the engine apart.
QVariant CChannelsModel::Background(int row) const {
  if (IsMarked(row))
    return kMarkedRow;
  bool even = row % 2 == 0;
  if (row < 16)
    return even ? QColor(240, 240, 240) : QColor(Qt::white);
  return even ? QColor(208, 208, 208) : QColor(224, 224, 224);
}

QVariant CChannelsModel::data(const QModelIndex& index, int role) const {
  const CChannelRow* row = Row(index);
  if (!row)
    return {};
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      switch (column) {
        case kColChannel: return ToQ(row->ch);
        case kColFunction: return ToQ(row->function);
        case kColChannelName: return ToQ(row->channelName);
        case kColPriority: return ToQ(row->priority);
        case kColLoad: return ToQ(row->load);
        case kColOdis: return ToQ(row->odis);
        case kColApi: return ToQ(row->api);
        default: return {};
      }
    case Qt::CheckStateRole:
      if (column == kColCie)
        return row->cie ? Qt::Checked : Qt::Unchecked;
      if (column == kColCdtre)
        return row->cdtre ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::TextAlignmentRole: return QVariant::fromValue(ColumnAlignment(column));
    case Qt::BackgroundRole: return Background(index.row());
    // The rows bring their own light colours, so the text stays dark on any theme.
    case Qt::ForegroundRole:
      return column == kColLoad && row->loadHighlighted ? kUnknownLoad : QColor(Qt::black);
    case Qt::ToolTipRole:
      if (column == kColLoad && row->func)
        return CatalogQString(row->loadIsCommand ? kTipLoadCommand : kTipNoCommand);
      return {};
    case Qt::DecorationRole:
      if (column == kColApi && row->func) {
        static const QIcon yes = ApiIcon(true);
        static const QIcon no = ApiIcon(false);
        return row->func->IsApi() ? yes : no;
      }
      return {};
    case kLoadCommandRole: return column == kColLoad && row->loadIsCommand;
    default: return {};
  }
}

QVariant CChannelsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  if (role == Qt::DisplayRole)
    return CatalogQString(kColumns[section].caption);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(ColumnAlignment(section));
  return {};
}

Qt::ItemFlags CChannelsModel::flags(const QModelIndex& index) const {
  if (!Row(index))
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (IsFlagColumn(index.column()))
    flags |= Qt::ItemIsUserCheckable;
  if (index.column() == kColOdis)
    flags |= Qt::ItemIsEditable;
  return flags;
}

bool CChannelsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!Row(index))
    return false;
  const int channel = index.row();
  CProjDoc::CChannelMasks masks = m_doc.ChannelMasks(m_engine);
  bool changed = false;
  if (IsFlagColumn(index.column()) && role == Qt::CheckStateRole) {
    EChannelFlag flag = index.column() == kColCie ? EChannelFlag::kCie : EChannelFlag::kCdtre;
    changed = SetChannelFlag(masks, flag, channel, value.toInt() == Qt::Checked);
  } else if (index.column() == kColOdis && role == Qt::EditRole) {
    changed = SetOdisChoice(masks, channel, FromQ(value.toString()));
  }
  if (!changed || !m_doc.SetChannelMasks(m_engine, masks))
    return false;
  // The project tells the page too; a model on its own follows at once.
  Refill();
  return true;
}

// ---- The delegate

QRect CChannelsDelegate::CheckRect(const QStyleOptionViewItem& option, const QWidget* widget) {
  const QStyle* style = widget ? widget->style() : QApplication::style();
  QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget),
             style->pixelMetric(QStyle::PM_IndicatorHeight, &option, widget));
  QRect rect(QPoint(), size);
  rect.moveCenter(option.rect.center());
  return rect;
}

void CChannelsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (IsFlagColumn(index.column()))
    PaintCheck(painter, option, index);
  else if (index.data(CChannelsModel::kLoadCommandRole).toBool())
    PaintLoadButton(painter, option, index);
  else
    QStyledItemDelegate::paint(painter, option, index);
}

// The cell's background and selection as usual, the box in its middle.
void CChannelsDelegate::PaintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
  cell.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

  QStyleOptionViewItem box = cell;
  box.rect = CheckRect(option, widget);
  box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
  box.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
  style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
}

void CChannelsDelegate::PaintLoadButton(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  cell.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

  QStyleOptionButton button;
  button.initFrom(widget);
  button.rect = option.rect.adjusted(1, 1, -1, -1);
  button.text = index.data(Qt::DisplayRole).toString();
  button.state = QStyle::State_Enabled | QStyle::State_Raised;
  button.palette.setColor(QPalette::ButtonText, index.data(Qt::ForegroundRole).value<QColor>());
  style->drawControl(QStyle::CE_PushButton, &button, painter, widget);
}

bool CChannelsDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) {
  const bool flag = IsFlagColumn(index.column());
  const bool load = index.data(CChannelsModel::kLoadCommandRole).toBool();
  if (!flag && !load)
    return QStyledItemDelegate::editorEvent(event, model, option, index);

  bool activate = false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      bool inside = flag ? CheckRect(option, option.widget).contains(mouse->position().toPoint())
                         : option.rect.contains(mouse->position().toPoint());
      if (!inside || mouse->button() != Qt::LeftButton)
        return false;
      // A press on the load button selects its row; a double click on either
      // cell is no request for the function dialog.
      if (event->type() == QEvent::MouseButtonPress)
        return flag;
      if (event->type() == QEvent::MouseButtonDblClick)
        return true;
      activate = true;
      break;
    }
    case QEvent::KeyPress: {
      int key = static_cast<QKeyEvent*>(event)->key();
      activate = key == Qt::Key_Space || key == Qt::Key_Select || (load && (key == Qt::Key_Return || key == Qt::Key_Enter));
      break;
    }
    default: break;
  }
  if (!activate)
    return false;
  if (load) {
    Q_EMIT LoadPressed(index.row());
    return true;
  }
  bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
  model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
  return true;
}

QWidget* CChannelsDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
  if (index.column() != CChannelsModel::kColOdis)
    return QStyledItemDelegate::createEditor(parent, option, index);
  auto* list = new QComboBox(parent);
  list->addItems(CChannelsModel::OdisChoices());
  list->setAccessibleName(CatalogQString(515));
  // A choice is taken as soon as it is made, like a check box.
  connect(list, &QComboBox::activated, this, [this, list] {
    auto* self = const_cast<CChannelsDelegate*>(this);
    Q_EMIT self->commitData(list);
    Q_EMIT self->closeEditor(list);
  });
  if (m_openList) {
    m_openList = false;
    QTimer::singleShot(0, list, [list] {
      if (list->isVisible())
        list->showPopup();
    });
  }
  return list;
}

void CChannelsDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* list = qobject_cast<QComboBox*>(editor); list && index.column() == CChannelsModel::kColOdis)
    list->setCurrentIndex(std::max(0, list->findText(index.data(Qt::EditRole).toString())));
  else
    QStyledItemDelegate::setEditorData(editor, index);
}

void CChannelsDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* list = qobject_cast<QComboBox*>(editor); list && index.column() == CChannelsModel::kColOdis) {
    if (list->currentText() != index.data(Qt::EditRole).toString())
      model->setData(index, list->currentText(), Qt::EditRole);
  } else {
    QStyledItemDelegate::setModelData(editor, model, index);
  }
}

void CChannelsDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const {
  editor->setGeometry(option.rect);
}
