// Finding a parameter's allowed values in an API header and the headers it includes.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "knowledge/loadenv.h"

class CHeaderTables;
class CKivoVarDef;

// What one load has read for option scanning: the text of every included
// header, and per file the includes it names and the answers already found
// in it. Every parameter walks its header's includes again, so without these
// each one would read and search the same files once more.
class COptionTables {
 public:
  using CValues = std::vector<std::pair<std::string, std::string>>;  // name and comment
  struct CFile {
    const std::string* text = nullptr;
    std::size_t textSize = 0;
    std::string ownText;
    std::optional<std::vector<std::string>> includes;
    std::shared_ptr<CHeaderTables> tables;
    std::map<std::string, std::optional<CValues>> enums;    // by type
    std::map<std::string, std::optional<CValues>> options;  // by parameter name
  };
  // The tables of a header text held by the caller; they are kept while the
  // same text object is passed for the same path.
  CFile& ForText(const std::string& path, const std::string& text);
  // The tables of a file read from disk, or null when it cannot be read (a
  // failed read is tried, and reported, again at the next use).
  CFile* ForFile(const std::string& path);
  // `path` made absolute, with "." and ".." resolved: files compare so.
  const std::string& NormalPath(const std::string& path);

 private:
  std::map<std::string, std::unique_ptr<CFile>> m_texts;
  std::map<std::string, std::unique_ptr<CFile>> m_files;
  std::map<std::string, std::string> m_normal;
};

// Looks for a typedef enumeration named `type`, then for an "options" comment
// naming `name` followed by #define lines, in `headerText` and then in the
// headers it includes (searched in the function-set folder tree, each file at
// most once, `headerPath` counting as read). Values found are appended to
// `def`. Any failure of the search counts as not found.
bool ScanHeaderOptions(const std::string& name, const std::string& type, const std::string& headerText,
                       const std::string& headerPath, const CKivoLoadEnv& env, CKivoVarDef& def);
