// The channel map drawn with Qt's painter: one picture for the desktop view, the SVG and PNG export and the command line.
#include "mapdraw/channelmapdraw.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "project/filetransaction.h"

namespace {

constexpr double kMargin = 12;
constexpr double kGap = 4;
constexpr double kBlockGap = 16;
constexpr double kTotalBarHeight = 12;
constexpr double kLoadBarHeight = 4;
// The total's bar reaches a quarter beyond the full load, so an overload shows as such.
constexpr double kBarScale = 125.0;

const QColor kFreeFill(0xf3, 0xf3, 0xf3);
const QColor kFreeInk(0x59, 0x59, 0x59);
const QColor kBorder(0x9a, 0x9a, 0x9a);
const QColor kTwice(0xc0, 0x10, 0x10);
const QColor kFocus(0x1a, 0x5f, 0xb4);

QColor Rgb(uint32_t rgb) { return QColor::fromRgb(rgb >> 16 & 0xff, rgb >> 8 & 0xff, rgb & 0xff); }

QColor StateColour(ELoadState state) {
  switch (state) {
    case ELoadState::kHigh: return QColor(0xe6, 0x95, 0x00);
    case ELoadState::kOver: return QColor(0xcc, 0x2f, 0x2f);
    default: return QColor(0x3b, 0x82, 0xc4);
  }
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString LegendText(const CChannelMapLegend& entry) {
  return entry.title == entry.function ? Q(entry.function) : Q(entry.function) + QStringLiteral(": ") + Q(entry.title);
}

QString HeadingText(const CChannelMapEngine& engine) { return Q(EngineSpokenText(engine)); }

QFont Bold(QFont font) {
  font.setBold(true);
  return font;
}

void DrawHeading(QPainter& painter, const CChannelMapEngine& engine, const CChannelMapLayout& layout) {
  QRectF heading = layout.HeadingRect(engine.engine);
  painter.setFont(Bold(layout.Font()));
  painter.setPen(Qt::black);
  QString text = HeadingText(engine);
  if (!engine.present && engine.strayFunctions > 0)
    text += QStringLiteral(" (the project puts %1 function%2 on it)")
                .arg(engine.strayFunctions)
                .arg(engine.strayFunctions == 1 ? QString() : QStringLiteral("s"));
  painter.drawText(QRectF(heading.left(), heading.top(), heading.width(), layout.LineHeight()),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
  if (!engine.present)
    return;
  QRectF bar = layout.TotalBarRect(engine.engine);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xe4, 0xe4, 0xe4));
  painter.drawRect(bar);
  double share = std::clamp(engine.totalLoad, 0.0, kBarScale) / kBarScale;
  painter.setBrush(StateColour(engine.state));
  painter.drawRect(QRectF(bar.left(), bar.top(), bar.width() * share, bar.height()));
  // The full load's line, and a fainter one where the state turns amber.
  double full = bar.left() + bar.width() * 100.0 / kBarScale;
  double high = bar.left() + bar.width() * 80.0 / kBarScale;
  painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
  painter.drawLine(QPointF(high, bar.top() - 3), QPointF(high, bar.bottom() + 3));
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(QPointF(full, bar.top() - 3), QPointF(full, bar.bottom() + 3));
  painter.setFont(layout.Font());
  painter.drawText(QRectF(full + 4, bar.top() - layout.LineHeight() - 2, bar.right() - full - 4, layout.LineHeight()),
                   Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("100 %"));
}

void DrawCell(QPainter& painter, const CChannelMapCell& cell, const QRectF& rect, const QFont& font, double line) {
  QColor fill = cell.free ? kFreeFill : Rgb(cell.fill);
  QColor ink = cell.free ? kFreeInk : Rgb(cell.ink);
  painter.setPen(cell.usedTwice ? QPen(kTwice, 3) : QPen(kBorder, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), 3, 3);
  QRectF inner = rect.adjusted(6, 4, -6, -4);
  QFontMetricsF metrics(font);
  QRectF first(inner.left(), inner.top(), inner.width(), line);
  painter.setPen(ink);
  painter.setFont(font);
  QString number = QString::number(cell.channel);
  painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, number);
  double nameLeft = metrics.horizontalAdvance(QStringLiteral("00 "));
  QRectF nameRect(first.left() + nameLeft, first.top(), first.width() - nameLeft, line);
  if (cell.usedTwice) {
    painter.setPen(kTwice);
    painter.setFont(Bold(font));
    painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("\u00d72"));
    nameRect.setRight(nameRect.right() - QFontMetricsF(Bold(font)).horizontalAdvance(QStringLiteral("\u00d72 ")));
    painter.setPen(ink);
  }
  if (cell.free) {
    painter.setFont(font);
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("free"));
    return;
  }
  QFont bold = Bold(font);
  painter.setFont(bold);
  painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(bold).elidedText(Q(cell.name), Qt::ElideRight, nameRect.width()));
  painter.setFont(font);
  QRectF second(inner.left(), inner.top() + line, inner.width(), line);
  painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(Q(cell.channelName), Qt::ElideRight, second.width()));
  QRectF third(inner.left(), inner.top() + 2 * line, inner.width(), line);
  painter.drawText(third, Qt::AlignLeft | Qt::AlignVCenter,
                   cell.LoadKnown() ? Q(cell.loadText) : QStringLiteral("load ?"));
  if (cell.LoadKnown() && cell.load > 0) {
    // Against the whole engine's time; the smallest load still shows as a sliver.
    double width = std::max(2.0, inner.width() * std::min(cell.load, 100.0) / 100.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRect(QRectF(inner.left(), inner.bottom() - kLoadBarHeight, width, kLoadBarHeight));
  }
}

void DrawLegend(QPainter& painter, const CChannelMap& map, const CChannelMapLayout& layout) {
  QRectF area = layout.LegendRect();
  if (map.legend.empty() || area.isEmpty())
    return;
  QFontMetricsF metrics(layout.Font());
  double line = layout.LineHeight();
  double swatch = line * 0.8;
  double column = 0;
  for (const CChannelMapLegend& entry : map.legend)
    column = std::max(column, swatch + 8 + metrics.horizontalAdvance(LegendText(entry)) + 16);
  int columns = std::max(1, static_cast<int>(area.width() / std::max(column, 1.0)));
  painter.setFont(layout.Font());
  for (std::size_t i = 0; i < map.legend.size(); ++i) {
    const CChannelMapLegend& entry = map.legend[i];
    double x = area.left() + static_cast<double>(i % columns) * column;
    double y = area.top() + static_cast<double>(i / columns) * line * 1.3;
    painter.setPen(QPen(kBorder, 1));
    painter.setBrush(Rgb(entry.fill));
    painter.drawRect(QRectF(x, y + (line - swatch) / 2, swatch, swatch));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x + swatch + 8, y, column - swatch - 8, line), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(LegendText(entry), Qt::ElideRight, column - swatch - 8));
  }
}

}  // namespace

CChannelMapLayout::CChannelMapLayout(const CChannelMap& map, const QFont& font, int width) : m_font(font) {
  QFontMetricsF metrics(font);
  QFontMetricsF bold(Bold(font));
  m_line = std::ceil(metrics.height());
  double natural = std::max(metrics.horizontalAdvance(QStringLiteral("0000.0000 %")),
                            metrics.horizontalAdvance(QStringLiteral("M")) * 9);
  // Room for the longest instance name, up to a limit past which names are elided.
  double longest = metrics.horizontalAdvance(QStringLiteral("M")) * 13;
  for (const CChannelMapEngine& engine : map.engines)
    for (const CChannelMapCell& cell : engine.cells)
      natural = std::max(natural, std::min(longest, metrics.horizontalAdvance(QStringLiteral("00 ")) +
                                                        bold.horizontalAdvance(Q(cell.name) + (cell.usedTwice ? QStringLiteral(" \u00d72") : QString()))));
  natural += 12;
  double cellWidth = natural;
  if (width > 0) {
    // An instance name of eight letters, the usual length, shows whole.
    double readable = std::max(metrics.horizontalAdvance(QStringLiteral("0.0000 %")),
                               metrics.horizontalAdvance(QStringLiteral("00 ")) +
                                   bold.horizontalAdvance(QStringLiteral("ADCTRIG0"))) + 12;
    auto fit = [&](int columns) { return (width - 2 * kMargin - (columns - 1) * kGap) / columns; };
    m_columns = fit(kColumns) >= readable ? kColumns : kNarrowColumns;
    cellWidth = std::max(readable, fit(m_columns));
  }
  const int rows = 32 / m_columns;
  double cellHeight = 3 * m_line + 8 + kLoadBarHeight + 4;
  double blockWidth = m_columns * cellWidth + (m_columns - 1) * kGap;
  double y = kMargin;
  for (int e = 0; e < 2; ++e) {
    const CChannelMapEngine& engine = map.engines[e];
    double headingHeight = engine.present ? m_line + 6 + m_line + kTotalBarHeight + 8 : m_line + 4;
    m_heading[e] = QRectF(kMargin, y, blockWidth, headingHeight);
    m_totalBar[e] = engine.present ? QRectF(kMargin, y + 2 * m_line + 6, blockWidth, kTotalBarHeight) : QRectF();
    y += headingHeight;
    if (engine.present) {
      for (int channel = 0; channel < 32; ++channel) {
        int row = channel / m_columns, column = channel % m_columns;
        m_cells[e].emplace_back(kMargin + column * (cellWidth + kGap), y + row * (cellHeight + kGap), cellWidth,
                                cellHeight);
      }
      y += rows * cellHeight + (rows - 1) * kGap;
    }
    y += kBlockGap;
  }
  // The legend flows in as many columns as the width holds.
  double column = 0;
  for (const CChannelMapLegend& entry : map.legend)
    column = std::max(column, m_line * 0.8 + 8 + metrics.horizontalAdvance(LegendText(entry)) + 16);
  int columns = column > 0 ? std::max(1, static_cast<int>(blockWidth / column)) : 1;
  m_legendRows = static_cast<int>((map.legend.size() + columns - 1) / columns);
  double legendHeight = m_legendRows * m_line * 1.3;
  m_legend = QRectF(kMargin, y, blockWidth, legendHeight);
  y += legendHeight + kMargin;
  m_size = QSize(static_cast<int>(std::ceil(blockWidth + 2 * kMargin)), static_cast<int>(std::ceil(y)));
}

QRectF CChannelMapLayout::CellRect(int engine, int channel) const {
  if (engine < 0 || engine > 1 || channel < 0 || channel >= static_cast<int>(m_cells[engine].size()))
    return QRectF();
  return m_cells[engine][channel];
}

CMapCellRef CChannelMapLayout::CellAt(const QPointF& point) const {
  for (int engine = 0; engine < 2; ++engine)
    for (std::size_t channel = 0; channel < m_cells[engine].size(); ++channel)
      if (m_cells[engine][channel].contains(point))
        return {engine, static_cast<int>(channel)};
  return {};
}

void DrawChannelMap(QPainter& painter, const CChannelMap& map, const CChannelMapLayout& layout, CMapCellRef focus) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  for (const CChannelMapEngine& engine : map.engines) {
    DrawHeading(painter, engine, layout);
    for (const CChannelMapCell& cell : engine.cells)
      DrawCell(painter, cell, layout.CellRect(engine.engine, cell.channel), layout.Font(), layout.LineHeight());
  }
  DrawLegend(painter, map, layout);
  QRectF focused = layout.CellRect(focus.engine, focus.channel);
  if (!focused.isNull()) {
    painter.setPen(QPen(kFocus, 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(focused.adjusted(-1, -1, 1, 1), 4, 4);
  }
  painter.restore();
}

EMapFormat MapFormatOf(const std::string& path) {
  std::string lower = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower == ".svg")
    return EMapFormat::kSvg;
  return lower == ".png" ? EMapFormat::kPng : EMapFormat::kNone;
}

bool RenderChannelMap(const CChannelMap& map, EMapFormat format, QByteArray& outBytes) {
  QFont font;
  CChannelMapLayout layout(map, font);
  QBuffer buffer(&outBytes);
  if (!buffer.open(QIODevice::WriteOnly))
    return false;
  if (format == EMapFormat::kSvg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(layout.Size());
    svg.setViewBox(QRect(QPoint(0, 0), layout.Size()));
    svg.setTitle(QStringLiteral("Channel map"));
    svg.setDescription(map.processor.empty() ? QStringLiteral("Channel map of both engines")
                                             : QStringLiteral("Channel map of the %1").arg(Q(map.processor)));
    QPainter painter;
    if (!painter.begin(&svg))
      return false;
    painter.fillRect(QRect(QPoint(0, 0), layout.Size()), Qt::white);
    DrawChannelMap(painter, map, layout);
    return painter.end();
  }
  if (format != EMapFormat::kPng)
    return false;
  QImage image(layout.Size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawChannelMap(painter, map, layout);
  painter.end();
  return image.save(&buffer, "PNG");
}

bool ExportChannelMap(const CChannelMap& map, const std::string& path, std::string& outReason) {
  EMapFormat format = MapFormatOf(path);
  if (format == EMapFormat::kNone) {
    outReason = "the file name ends neither in .svg nor in .png";
    return false;
  }
  QByteArray bytes;
  if (!RenderChannelMap(map, format, bytes)) {
    outReason = "the picture could not be drawn";
    return false;
  }
  CFileTransaction file;
  file.Add(path, bytes.toStdString());
  std::string failedPath;
  return file.Commit(failedPath, outReason);
}
