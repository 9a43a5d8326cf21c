// Markdown or HTML to PDF with Qt's own text document and PDF writer: no
// network, no tool outside Qt.
#pragma once

#include <QString>
#include <QStringList>

struct CRenderJob {
  QString title;            // the PDF's title
  QStringList inputs;       // one HTML file, or Markdown files joined in order
  QStringList imageFolders; // searched after the inputs' own folders
  QString output;
};

// False, with `error` saying why, when an input cannot be read or the PDF not
// written. A figure whose picture is not there is left out with its caption,
// and named in `notes`: a page that a window does not have yet has no picture.
bool RenderToPdf(const CRenderJob& job, QString& error, QStringList& notes);
