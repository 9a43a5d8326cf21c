// Catalog texts as Qt strings.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "base/messagecatalog.h"

inline QString CatalogQString(int id) {
  std::string_view text = CatalogText(id);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString ToQ(const std::string& text) { return QString::fromStdString(text); }
inline std::string FromQ(const QString& text) { return text.toStdString(); }
