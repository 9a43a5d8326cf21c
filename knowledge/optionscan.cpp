// Finding a parameter's allowed values in an API header and the headers it includes.
#include "knowledge/optionscan.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/paths.h"
#include "base/texthelpers.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/folderscan.h"
#include "knowledge/headerscan.h"
#include "knowledge/kbregex.h"
#include "knowledge/kbtext.h"

namespace {

// An include chain deeper than this that found nothing is not followed further.
constexpr int kMaxDepth = 10;

class COptionSearch {
 public:
  COptionSearch(const std::string& name, const std::string& type, const CKivoLoadEnv& env, COptionTables& tables,
                CKivoVarDef& def)
      : m_name(name), m_type(type), m_env(env), m_tables(tables), m_def(def) {}

  void MarkRead(const std::string& path) {
    if (!path.empty())
      m_visited.push_back(m_tables.NormalPath(path));
  }

  bool Search(COptionTables::CFile& file, int depth) {
    if (FindEnumeration(file) || FindOptionsComment(file))
      return true;
    if (depth > kMaxDepth)
      return false;
    for (const std::string& include : Includes(file)) {
      std::string path = include;
      bool resolved = m_env.index ? m_env.index->FindFileInTree(path, m_env.folder)
                                  : FindFileInFolderTree(path, m_env.folder);
      if (!resolved)
        continue;
      const std::string& normal = m_tables.NormalPath(path);
      if (std::find(m_visited.begin(), m_visited.end(), normal) != m_visited.end())
        continue;
      m_visited.push_back(normal);
      COptionTables::CFile* included = m_tables.ForFile(path);
      if (!included)
        continue;
      if (Search(*included, depth))
        return true;
      ++depth;
    }
    return false;
  }

 private:
  static const std::vector<std::string>& Includes(COptionTables::CFile& file) {
    if (!file.includes) {
      static CRegExp includePattern(R"(^\s*\#include\s+[<\"](.*?)[>\"])", true, true);
      file.includes.emplace();
      for (const auto& match : RunPatternQuietly(includePattern, *file.text))
        file.includes->push_back(match[0]);
    }
    return *file.includes;
  }

  bool FindEnumeration(COptionTables::CFile& file) {
    auto known = file.enums.find(m_type);
    if (known == file.enums.end())
      known = file.enums.emplace(m_type, ReadEnumeration(file)).first;
    return AddValues(known->second);
  }

  bool FindOptionsComment(COptionTables::CFile& file) {
    auto known = file.options.find(m_name);
    if (known == file.options.end())
      known = file.options.emplace(m_name, ReadOptionsComment(file)).first;
    return AddValues(known->second);
  }

  static CHeaderTables& Tables(COptionTables::CFile& file) {
    if (!file.tables)
      file.tables = std::make_shared<CHeaderTables>(*file.text);
    return *file.tables;
  }

  std::optional<COptionTables::CValues> ReadEnumeration(COptionTables::CFile& file) {
    std::string enumerators;
    if (!Tables(file).FindEnumeration(m_type, enumerators))
      return std::nullopt;
    static CRegExp enumerator(
        R"(([A-Za-z_][A-Za-z0-9_]*)(?:[^,](?!/))*[,]?\s*(?:/[/*]+([^*\n]+)(?:\*+/)?)?)", true, false);
    COptionTables::CValues values;
    for (const auto& match : RunPatternQuietly(enumerator, enumerators))
      values.emplace_back(match[0], match[1]);
    return values;
  }

  std::optional<COptionTables::CValues> ReadOptionsComment(COptionTables::CFile& file) {
    std::string defines;
    if (!Tables(file).FindOptionsComment(m_name, defines))
      return std::nullopt;
    // Multiline, so that every line of the block gives a value.
    static CRegExp define(R"(^\s*#define\s+(\w+)\s*(\([^)\n]*\))?[^/\n]*(?:/[/*]+([^*\n]+))?)", true, true);
    COptionTables::CValues values;
    for (const auto& match : RunPatternQuietly(define, defines))
      values.emplace_back(match[0], match[2]);
    return values;
  }

  bool AddValues(const std::optional<COptionTables::CValues>& values) {
    if (!values)
      return false;
    for (const auto& [valueName, comment] : *values) {
      CKivoValueDef& value = m_def.AddValue();
      value.name = valueName;
      value.comment = Trim(comment);
    }
    return true;
  }

  const std::string& m_name;
  const std::string& m_type;
  const CKivoLoadEnv& m_env;
  COptionTables& m_tables;
  CKivoVarDef& m_def;
  std::vector<std::string> m_visited;
};

}  // namespace

COptionTables::CFile& COptionTables::ForText(const std::string& path, const std::string& text) {
  auto& entry = m_texts[path];
  if (!entry || entry->text != &text || entry->textSize != text.size()) {
    entry = std::make_unique<CFile>();
    entry->text = &text;
    entry->textSize = text.size();
  }
  return *entry;
}

const std::string& COptionTables::NormalPath(const std::string& path) {
  auto known = m_normal.find(path);
  if (known != m_normal.end())
    return known->second;
  std::error_code error;
  std::filesystem::path normal = std::filesystem::absolute(path, error);
  return m_normal.emplace(path, error ? path : normal.lexically_normal().string()).first->second;
}

COptionTables::CFile* COptionTables::ForFile(const std::string& path) {
  auto known = m_files.find(path);
  if (known != m_files.end())
    return known->second.get();
  auto file = std::make_unique<CFile>();
  if (!ReadTextFile(path, file->ownText))
    return nullptr;
  file->text = &file->ownText;
  return m_files.emplace(path, std::move(file)).first->second.get();
}

bool ScanHeaderOptions(const std::string& name, const std::string& type, const std::string& headerText,
                       const std::string& headerPath, const CKivoLoadEnv& env, CKivoVarDef& def) {
  COptionTables ownTables;
  COptionTables& tables = env.optionTables ? *env.optionTables : ownTables;
  COptionSearch search(name, type, env, tables, def);
  search.MarkRead(headerPath);
  return search.Search(tables.ForText(headerPath, headerText), 0);
}
