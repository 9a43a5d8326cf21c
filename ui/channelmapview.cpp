// The "Channel Map" dock: both engines' channels drawn as cells, each a named item for a screen reader, a click going to the channel's row.
#include "ui/channelmapview.h"

#include <QAccessibleWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QStyle>

#include "base/ports.h"
#include "project/projdoc.h"
#include "ui/uitext.h"

namespace {

constexpr int kMsgMapNotWritten = 4099;
constexpr int kSlotsPerEngine = 33;
const char* const kFilterSvg = "SVG Pictures (*.svg)";
const char* const kFilterPng = "PNG Pictures (*.png)";

int SlotOf(CMapCellRef item) { return item.engine * kSlotsPerEngine + item.channel + 1; }

// One heading or cell of the map: it has no widget of its own, so the view
// answers for it.
class CMapItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  CMapItemAccessible(CChannelMapView* view, int slot) : m_view(view), m_slot(slot) {}

  bool isValid() const override { return m_view && Index() >= 0; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name && isValid() ? m_view->ItemText(Index()) : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid())
      return QRect();
    QRect local = m_view->ItemRect(Index());
    return QRect(m_view->mapToGlobal(local.topLeft()), local.size());
  }
  QAccessible::Role role() const override { return IsCell() ? QAccessible::ListItem : QAccessible::StaticText; }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid())
      return state;
    state.focusable = IsCell();
    state.selectable = IsCell();
    state.focused = IsCell() && m_view->hasFocus() && m_view->FocusCell() == Item();
    state.invisible = !m_view->isVisible();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface && IsCell() ? static_cast<QAccessibleActionInterface*>(this)
                                                            : nullptr;
  }
  QStringList actionNames() const override { return IsCell() ? QStringList{pressAction()} : QStringList(); }
  void doAction(const QString& name) override {
    if (name == pressAction() && isValid())
      m_view->ActivateCell(Item());
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  CMapCellRef Item() const { return {m_slot / kSlotsPerEngine, m_slot % kSlotsPerEngine - 1}; }
  bool IsCell() const { return Item().channel >= 0; }
  int Index() const { return m_view ? m_view->IndexOfItem(Item()) : -1; }

  QPointer<CChannelMapView> m_view;
  int m_slot;
};

// The map itself: a list of the items the view names.
class CMapAccessible : public QAccessibleWidget {
 public:
  explicit CMapAccessible(CChannelMapView* view) : QAccessibleWidget(view, QAccessible::List) {}

  CChannelMapView* View() const { return static_cast<CChannelMapView*>(widget()); }
  int childCount() const override { return View()->ItemCount(); }
  QAccessibleInterface* child(int index) const override {
    return index >= 0 && index < childCount() ? View()->ItemInterface(index) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i)
      if (View()->ItemInterface(i) == child)
        return i;
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    CMapCellRef cell = View()->Layout().CellAt(View()->mapFromGlobal(QPoint(x, y)));
    return cell.Valid() ? View()->ItemInterface(View()->IndexOfItem(cell)) : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    return View()->hasFocus() ? View()->ItemInterface(View()->IndexOfItem(View()->FocusCell())) : nullptr;
  }
};

QAccessibleInterface* MapAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("CChannelMapView") && object && object->isWidgetType())
    return new CMapAccessible(static_cast<CChannelMapView*>(object));
  return nullptr;
}

}  // namespace

CChannelMapView::CChannelMapView(CProjDoc& doc, QWidget* parent) : QWidget(parent), m_doc(&doc) {
  static const bool installed = [] {
    QAccessible::installFactory(MapAccessibleFactory);
    return true;
  }();
  (void)installed;
  setObjectName(QStringLiteral("ChannelMap"));
  setAccessibleName(QStringLiteral("Channel Map"));
  setFocusPolicy(Qt::StrongFocus);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  Refresh();
}

CChannelMapView::~CChannelMapView() {
  for (QAccessible::Id id : m_itemIds)
    if (id)
      QAccessible::deleteAccessibleInterface(id);
}

void CChannelMapView::Refresh() {
  std::vector<QString> before;
  for (int i = 0; i < ItemCount(); ++i)
    before.push_back(ItemText(i));
  m_map = BuildChannelMap(*m_doc);
  if (IndexOfItem(m_focus) < 0)
    m_focus = {m_map.engines[0].present ? 0 : 1, 0};
  setMinimumHeight(heightForWidth(width()));
  updateGeometry();
  update();
  // A screen reader hears of the cells whose words changed.
  if (!QAccessible::isActive())
    return;
  for (int i = 0; i < ItemCount(); ++i)
    if (m_itemIds[SlotOf(Item(i))] && (i >= static_cast<int>(before.size()) || before[i] != ItemText(i))) {
      QAccessibleEvent event(ItemInterface(i), QAccessible::NameChanged);
      QAccessible::updateAccessibility(&event);
    }
}

CChannelMapLayout CChannelMapView::Layout() const { return CChannelMapLayout(m_map, font(), width()); }

int CChannelMapView::ItemCount() const {
  int count = 0;
  for (const CChannelMapEngine& engine : m_map.engines)
    count += 1 + static_cast<int>(engine.cells.size());
  return count;
}

CMapCellRef CChannelMapView::Item(int index) const {
  for (const CChannelMapEngine& engine : m_map.engines) {
    int size = 1 + static_cast<int>(engine.cells.size());
    if (index < size)
      return {engine.engine, index - 1};
    index -= size;
  }
  return {};
}

int CChannelMapView::IndexOfItem(CMapCellRef item) const {
  if (item.engine < 0 || item.engine > 1)
    return -1;
  int channels = static_cast<int>(m_map.engines[item.engine].cells.size());
  if (item.channel < -1 || item.channel >= channels)
    return -1;
  int index = item.channel + 1;
  if (item.engine == 1)
    index += 1 + static_cast<int>(m_map.engines[0].cells.size());
  return index;
}

QString CChannelMapView::ItemText(int index) const {
  CMapCellRef item = Item(index);
  if (item.engine < 0)
    return QString();
  const CChannelMapEngine& engine = m_map.engines[item.engine];
  if (item.channel < 0)
    return ToQ(EngineSpokenText(engine));
  return ToQ(CellSpokenText(item.engine, engine.cells[item.channel]));
}

QRect CChannelMapView::ItemRect(int index) const {
  CMapCellRef item = Item(index);
  CChannelMapLayout layout = Layout();
  QRectF rect = item.channel < 0 ? layout.HeadingRect(item.engine) : layout.CellRect(item.engine, item.channel);
  return rect.toAlignedRect();
}

QAccessibleInterface* CChannelMapView::ItemInterface(int index) {
  CMapCellRef item = Item(index);
  if (item.engine < 0)
    return nullptr;
  QAccessible::Id& id = m_itemIds[SlotOf(item)];
  if (!id)
    id = QAccessible::registerAccessibleInterface(new CMapItemAccessible(this, SlotOf(item)));
  return QAccessible::accessibleInterface(id);
}

void CChannelMapView::ActivateCell(CMapCellRef cell) {
  if (IndexOfItem(cell) < 0 || cell.channel < 0)
    return;
  SetFocusCell(cell);
  if (channelActivated)
    channelActivated(cell.engine, cell.channel);
}

QSize CChannelMapView::sizeHint() const { return CChannelMapLayout(m_map, font()).Size(); }

QSize CChannelMapView::minimumSizeHint() const {
  return QSize(CChannelMapLayout(m_map, font(), 1).Size().width(), 0);
}

int CChannelMapView::heightForWidth(int width) const {
  return CChannelMapLayout(m_map, font(), width).Size().height();
}

void CChannelMapView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawChannelMap(painter, m_map, Layout(), hasFocus() ? m_focus : CMapCellRef());
}

void CChannelMapView::mousePressEvent(QMouseEvent* event) {
  CMapCellRef cell = Layout().CellAt(event->position());
  if (event->button() != Qt::LeftButton || !cell.Valid()) {
    QWidget::mousePressEvent(event);
    return;
  }
  ActivateCell(cell);
}

void CChannelMapView::keyPressEvent(QKeyEvent* event) {
  CMapCellRef cell = m_focus;
  const int columns = Layout().Columns();
  switch (event->key()) {
    case Qt::Key_Left: cell.channel -= 1; break;
    case Qt::Key_Right: cell.channel += 1; break;
    case Qt::Key_Up: cell.channel -= columns; break;
    case Qt::Key_Down: cell.channel += columns; break;
    case Qt::Key_Home: cell.channel = 0; break;
    case Qt::Key_End: cell.channel = 31; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: ActivateCell(m_focus); return;
    default: QWidget::keyPressEvent(event); return;
  }
  // Past the first or last row the other engine's cells follow, when it is there.
  if (cell.channel < 0 || cell.channel > 31) {
    int other = 1 - cell.engine;
    if (!m_map.engines[other].present || (cell.channel < 0) != (other == 0))
      return;
    cell = {other, (cell.channel + 32) % 32};
  }
  SetFocusCell(cell);
}

void CChannelMapView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
  AnnounceFocus();
}

void CChannelMapView::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void CChannelMapView::SetFocusCell(CMapCellRef cell) {
  if (IndexOfItem(cell) < 0 || cell.channel < 0 || cell == m_focus)
    return;
  m_focus = cell;
  update();
  AnnounceFocus();
}

void CChannelMapView::AnnounceFocus() {
  if (!hasFocus() || !QAccessible::isActive())
    return;
  if (QAccessibleInterface* item = ItemInterface(IndexOfItem(m_focus))) {
    QAccessibleEvent event(item, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
  }
}

// ---- The dock

CChannelMapDock::CChannelMapDock(CProjDoc& doc, QWidget* parent)
    : QDockWidget(QStringLiteral("Channel Map"), parent), m_view(new CChannelMapView(doc)), m_scroll(new QScrollArea) {
  setObjectName(QStringLiteral("ChannelMapDock"));
  m_scroll->setWidget(m_view);
  m_scroll->setWidgetResizable(true);
  m_scroll->setFrameShape(QFrame::NoFrame);
  setWidget(m_scroll);
  // Never narrower than four channels to a row, so that no name is cut to nothing.
  m_scroll->setMinimumWidth(m_view->minimumSizeHint().width() +
                            m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
  m_view->channelActivated = [this](int engine, int channel) {
    if (goToChannel)
      goToChannel(engine, channel);
  };
  askExportName = [this](const QString& start, QString* filter) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Export Channel Map"), start,
                                        QStringLiteral("%1;;%2").arg(QLatin1String(kFilterSvg), QLatin1String(kFilterPng)),
                                        filter);
  };
}

void CChannelMapDock::OnProjectUpdate(int hint) {
  // Storing a page's controls into the project changes nothing the map shows.
  if (hint != kHintStoreControls)
    m_view->Refresh();
}

bool CChannelMapDock::Export() {
  QString filter = QLatin1String(kFilterSvg);
  QString start = m_lastExport.isEmpty() ? QStringLiteral("channel-map.svg") : m_lastExport;
  QString path = askExportName(start, &filter);
  if (path.isEmpty())
    return false;
  if (MapFormatOf(FromQ(path)) == EMapFormat::kNone)
    path += filter == QLatin1String(kFilterPng) ? QStringLiteral(".png") : QStringLiteral(".svg");
  return ExportTo(path);
}

bool CChannelMapDock::ExportTo(const QString& path) {
  std::string reason;
  if (!ExportChannelMap(m_view->Map(), FromQ(path), reason)) {
    ShowMessage(kMsgMapNotWritten, EMessageKind::Error, {FromQ(path), reason});
    return false;
  }
  m_lastExport = path;
  return true;
}
