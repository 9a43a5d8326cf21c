// Markdown or HTML to PDF with QTextDocument and QPdfWriter.
#include "render.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>
#include <QTextTable>
#include <QUrl>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/filereader.h"

namespace {

// The text width of an A4 page less the 2 cm margins Qt's printing keeps, in
// the 96-dpi units of an image's size, with a little room to spare.
constexpr double kTextWidth = 620;
// Pictures of windows at most this wide: two fit on a page with their text.
constexpr double kFigureWidth = 470;
// Marks the paragraph that holds a figure's caption until the layout pass
// centres it; an invisible separator, so a stray one shows nothing.
const QChar kCaptionMark(0x2063);

class CDocument : public QTextDocument {
 public:
  explicit CDocument(QStringList folders) : m_folders(std::move(folders)) {}

  // The file a picture's name refers to: absolute, or below one of the folders.
  QString FindImage(const QString& name) const {
    QString path = QUrl(name).isLocalFile() ? QUrl(name).toLocalFile() : name;
    if (QFileInfo(path).isAbsolute())
      return QFileInfo(path).isFile() ? path : QString();
    for (const QString& folder : m_folders) {
      QString candidate = QDir(folder).filePath(path);
      if (QFileInfo(candidate).isFile())
        return candidate;
    }
    return {};
  }

 private:
  QStringList m_folders;
};

bool IsHtml(const QString& path) {
  QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("htm") || suffix == QLatin1String("html");
}

bool ReadInput(const QString& path, QString& text, QString& error) {
  std::string bytes, reason;
  if (ReadWholeFile(path.toStdString(), bytes, reason) != EFileRead::kRead) {
    error = path + QStringLiteral(": ") + (reason.empty() ? QStringLiteral("too big") : QString::fromStdString(reason));
    return false;
  }
  text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return true;
}

// A figure is a line of its own, "![caption](picture)": its caption follows it
// as a paragraph. A figure whose picture is missing goes with its caption.
QString PrepareMarkdown(const QString& text, const CDocument& doc, QStringList& notes) {
  static const QRegularExpression figure(QStringLiteral(R"(^!\[([^\]]*)\]\(([^)\s]+)\)\s*$)"));
  static const QRegularExpression fence(QStringLiteral(R"(^\s*(```|~~~))"));
  QStringList out;
  bool inCode = false;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    if (fence.match(line).hasMatch())
      inCode = !inCode;
    QRegularExpressionMatch match = inCode ? QRegularExpressionMatch() : figure.match(line);
    if (!match.hasMatch()) {
      out << line;
      continue;
    }
    if (doc.FindImage(match.captured(2)).isEmpty()) {
      notes << QStringLiteral("no picture %1: the figure is left out").arg(match.captured(2));
      continue;
    }
    out << line << QString();
    if (!match.captured(1).isEmpty())
      out << kCaptionMark + match.captured(1);
  }
  return out.join(QLatin1Char('\n'));
}

struct CImageAt {
  int position;
  QTextImageFormat format;
  bool figure;  // a paragraph of its own
};

// Pictures are loaded once, by the name the text gives them, and scaled down
// to the text width; the printing copy of the document takes them along.
void PlaceImages(CDocument& doc, QStringList& notes) {
  std::vector<CImageAt> images;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    bool onlyImages = true;
    std::size_t first = images.size();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      if (fragment.charFormat().isImageFormat()) {
        for (int i = 0; i < fragment.length(); ++i)
          images.push_back({fragment.position() + i, fragment.charFormat().toImageFormat(), false});
      } else if (!fragment.text().trimmed().isEmpty()) {
        onlyImages = false;
      }
    }
    bool anyImage = images.size() > first;
    if (anyImage && onlyImages) {
      for (std::size_t i = first; i < images.size(); ++i)
        images[i].figure = true;
      QTextCursor cursor(block);
      QTextBlockFormat format = block.blockFormat();
      format.setAlignment(Qt::AlignHCenter);
      format.setTopMargin(6);
      cursor.setBlockFormat(format);
    }
  }
  for (CImageAt& at : images) {
    QString name = at.format.name();
    QImage image(doc.FindImage(name));
    if (image.isNull()) {
      notes << QStringLiteral("no picture %1").arg(name);
      continue;
    }
    doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
    double width = at.format.hasProperty(QTextFormat::ImageWidth) ? at.format.width() : image.width();
    double height = at.format.hasProperty(QTextFormat::ImageHeight) ? at.format.height()
                                                                      : width * image.height() / image.width();
    double limit = at.figure ? kFigureWidth : kTextWidth;
    if (width > limit) {
      height = height * limit / width;
      width = limit;
    }
    at.format.setWidth(width);
    at.format.setHeight(height);
    QTextCursor cursor(&doc);
    cursor.setPosition(at.position);
    cursor.setPosition(at.position + 1, QTextCursor::KeepAnchor);
    cursor.setCharFormat(at.format);
  }
}

void StyleTable(QTextTable* table) {
  QTextTableFormat format = table->format();
  format.setBorder(0.5);
  format.setBorderBrush(QColor(150, 150, 150));
  format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
  format.setCellPadding(3);
  format.setCellSpacing(0);
  format.setTopMargin(4);
  format.setBottomMargin(8);
  format.setHeaderRowCount(1);
  table->setFormat(format);
  // A code block just before a table leaves an empty paragraph in its first cell.
  for (int row = 0; row < table->rows(); ++row) {
    for (int column = 0; column < table->columns(); ++column) {
      QTextTableCell cell = table->cellAt(row, column);
      QTextCursor start = cell.firstCursorPosition();
      while (start.block().text().isEmpty() && start.block().position() + start.block().length() <=
                                                   cell.lastCursorPosition().position()) {
        QTextCursor empty = start;
        empty.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        empty.removeSelectedText();
        start = cell.firstCursorPosition();
      }
    }
  }
  for (int column = 0; column < table->columns(); ++column) {
    QTextTableCell cell = table->cellAt(0, column);
    QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
    cellFormat.setBackground(QColor(228, 234, 242));
    cell.setFormat(cellFormat);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
  }
}

// The page's look: chapters on a page of their own, code on a grey ground,
// captions centred, tables ruled with their head shaded.
void Lay(CDocument& doc, QStringList& notes) {
  PlaceImages(doc, notes);
  std::function<void(QTextFrame*)> walk = [&](QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
      if (auto* table = qobject_cast<QTextTable*>(child))
        StyleTable(table);
      walk(child);
    }
  };
  walk(doc.rootFrame());
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    if (format.headingLevel() > 0) {
      if (format.headingLevel() == 1 && block != doc.begin() && !cursor.currentTable())
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      format.setTopMargin(format.headingLevel() <= 2 ? 14 : 10);
      format.setBottomMargin(5);
    } else if (cursor.currentTable()) {
      // The reader gives a cell's first paragraph the margins of the text before the table.
      format.setTopMargin(0);
      format.setBottomMargin(0);
    } else if (format.hasProperty(QTextFormat::BlockCodeLanguage) || format.hasProperty(QTextFormat::BlockCodeFence) ||
               format.nonBreakableLines()) {
      format.setNonBreakableLines(true);
      format.setBackground(QColor(243, 243, 243));
      format.setLeftMargin(6);
      format.setTopMargin(0);
      format.setBottomMargin(0);
      QTextCursor all(block);
      all.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      QTextCharFormat code;
      code.setFontPointSize(9);
      all.mergeCharFormat(code);
    }
    if (block.text().startsWith(kCaptionMark)) {
      QTextCursor mark(block);
      mark.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
      mark.removeSelectedText();
      format.setAlignment(Qt::AlignHCenter);
      format.setTopMargin(2);
      format.setBottomMargin(10);
      QTextCursor all(block);
      all.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      QTextCharFormat caption;
      caption.setFontItalic(true);
      caption.setFontPointSize(9);
      all.mergeCharFormat(caption);
    }
    cursor.setBlockFormat(format);
  }
}

}  // namespace

bool RenderToPdf(const CRenderJob& job, QString& error, QStringList& notes) {
  if (job.inputs.isEmpty()) {
    error = QStringLiteral("no input");
    return false;
  }
  QStringList folders;
  for (const QString& input : job.inputs)
    folders << QFileInfo(input).absolutePath();
  folders << job.imageFolders;
  CDocument doc(folders);
  doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  doc.setDocumentMargin(0);
  // Lines break between words only: a table column is then at least as wide as
  // its longest word, and a C name is never cut in two.
  QTextOption option = doc.defaultTextOption();
  option.setWrapMode(QTextOption::WordWrap);
  doc.setDefaultTextOption(option);

  if (job.inputs.size() == 1 && IsHtml(job.inputs.front())) {
    QString text;
    if (!ReadInput(job.inputs.front(), text, error))
      return false;
    doc.setHtml(text);
  } else {
    QStringList parts;
    for (const QString& input : job.inputs) {
      if (IsHtml(input)) {
        error = input + QStringLiteral(": an HTML file is rendered on its own");
        return false;
      }
      QString text;
      if (!ReadInput(input, text, error))
        return false;
      parts << text;
    }
    doc.setMarkdown(PrepareMarkdown(parts.join(QStringLiteral("\n\n")), doc, notes),
                    QTextDocument::MarkdownDialectGitHub);
  }
  Lay(doc, notes);
  QFile::remove(job.output);
  {
    QPdfWriter writer(job.output);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(600);
    writer.setTitle(job.title.isEmpty() ? doc.metaInformation(QTextDocument::DocumentTitle) : job.title);
    writer.setCreator(QStringLiteral("Kivo Vam"));
    doc.print(&writer);
  }
  if (QFileInfo(job.output).size() <= 0) {
    error = job.output + QStringLiteral(": not written");
    return false;
  }
  return true;
}
