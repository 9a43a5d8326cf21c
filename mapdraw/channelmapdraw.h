// The channel map drawn with Qt's painter: one picture for the desktop view, the SVG and PNG export and the command line.
#pragma once

#include <QFont>
#include <QRectF>
#include <QSize>
#include <array>
#include <string>
#include <vector>

#include "project/channelmap.h"

class QByteArray;
class QPainter;

// A cell of the map: engine 0 or 1 and its channel; -1 for none.
struct CMapCellRef {
  int engine = -1;
  int channel = -1;
  bool Valid() const { return engine >= 0 && channel >= 0; }
  bool operator==(const CMapCellRef&) const = default;
};

// Where everything of a map lies for a given width and font: the view draws,
// hit-tests and tells a screen reader the cells' places from the same rectangles.
class CChannelMapLayout {
 public:
  // Eight channels to a row, four where the width does not hold eight cells
  // that keep their texts readable; below that the cells keep their width.
  static constexpr int kColumns = 8;
  static constexpr int kNarrowColumns = 4;

  // `width` 0: eight columns at the width where every cell shows its texts whole.
  CChannelMapLayout(const CChannelMap& map, const QFont& font, int width = 0);

  QSize Size() const { return m_size; }
  int Columns() const { return m_columns; }
  const QFont& Font() const { return m_font; }
  // Null for a channel of an engine the processor lacks.
  QRectF CellRect(int engine, int channel) const;
  // The engine's heading with its total load bar.
  QRectF HeadingRect(int engine) const { return m_heading[engine == 1 ? 1 : 0]; }
  QRectF TotalBarRect(int engine) const { return m_totalBar[engine == 1 ? 1 : 0]; }
  QRectF LegendRect() const { return m_legend; }
  CMapCellRef CellAt(const QPointF& point) const;
  double LineHeight() const { return m_line; }

 private:
  QFont m_font;
  double m_line = 0;
  int m_columns = kColumns;
  QSize m_size;
  std::array<QRectF, 2> m_heading;
  std::array<QRectF, 2> m_totalBar;
  std::array<std::vector<QRectF>, 2> m_cells;
  QRectF m_legend;
  int m_legendRows = 0;
};

// Paints `map` at the layout's places; `focus` gets a focus frame.
void DrawChannelMap(QPainter& painter, const CChannelMap& map, const CChannelMapLayout& layout,
                    CMapCellRef focus = {});

enum class EMapFormat { kNone, kSvg, kPng };
// By the file name's extension, in any case: ".svg" or ".png".
EMapFormat MapFormatOf(const std::string& path);

// The whole picture at its natural size; false when it could not be drawn.
bool RenderChannelMap(const CChannelMap& map, EMapFormat format, QByteArray& outBytes);

// Draws the map and writes it to `path` in the format its extension names,
// through a temporary file beside it (nothing but a regular file is replaced).
// False with the reason when the format is unknown or the write failed. Needs
// a QGuiApplication for the fonts.
bool ExportChannelMap(const CChannelMap& map, const std::string& path, std::string& outReason);
