// Finding a parameter's allowed values in an API header and the headers it includes.
#include "knowledge/optionscan.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/paths.h"
#include "base/texthelpers.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/commentpatterns.h"
#include "knowledge/folderscan.h"
#include "knowledge/kbregex.h"
#include "knowledge/kbtext.h"

namespace {

// An include chain deeper than this that found nothing is not followed further.
constexpr int kMaxDepth = 10;

class COptionSearch {
 public:
  COptionSearch(const std::string& name, const std::string& type, const CKivoLoadEnv& env, CKivoVarDef& def)
      : m_name(name), m_type(type), m_env(env), m_def(def) {}

  void MarkRead(const std::string& path) {
    if (!path.empty())
      m_visited.push_back(Normal(path));
  }

  bool Search(const std::string& text, int depth) {
    if (FindEnumeration(text) || FindOptionsComment(text))
      return true;
    if (depth > kMaxDepth)
      return false;
    static CRegExp includePattern(R"(^\s*\#include\s+[<\"](.*?)[>\"])", true, true);
    for (const auto& match : RunPatternQuietly(includePattern, text)) {
      std::string path = match[0];
      bool resolved = m_env.index ? m_env.index->FindFileInTree(path, m_env.folder)
                                  : FindFileInFolderTree(path, m_env.folder);
      if (!resolved)
        continue;
      std::string normal = Normal(path);
      if (std::find(m_visited.begin(), m_visited.end(), normal) != m_visited.end())
        continue;
      m_visited.push_back(normal);
      std::string included;
      if (!ReadTextFile(path, included))
        continue;
      if (Search(included, depth))
        return true;
      ++depth;
    }
    return false;
  }

 private:
  // Multiline, Global off.
  CRegExp& Pattern(const std::string& text) {
    if (m_env.patterns)
      return m_env.patterns->Get(text, false, true);
    m_ownPattern = std::make_unique<CRegExp>(text, false, true);
    return *m_ownPattern;
  }

  // Paths compare after making them absolute and resolving "." and "..".
  static std::string Normal(const std::string& path) {
    std::error_code error;
    std::filesystem::path normal = std::filesystem::absolute(path, error);
    return error ? path : normal.lexically_normal().string();
  }

  bool FindEnumeration(const std::string& text) {
    CRegExp& pattern = Pattern(FillPattern(R"(typedef[ \t\n]+?enum[ \t\n]+?(?:[A-Za-z_][A-Za-z0-9_]*?)?[ \t\n]*)"
                                R"(\{([^{}]*?)\}[ \t\n]*%1[ \t\n]*\;)",
                                EscapeForPattern(m_type)));
    CMatchList found = RunPatternQuietly(pattern, text);
    if (found.empty())
      return false;
    static CRegExp enumerator(
        R"(([A-Za-z_][A-Za-z0-9_]*)(?:[^,](?!/))*[,]?\s*(?:/[/*]+([^*\n]+)(?:\*+/)?)?)", true, false);
    for (const auto& match : RunPatternQuietly(enumerator, found[0][0]))
      AddValue(match[0], match[1]);
    return true;
  }

  bool FindOptionsComment(const std::string& text) {
    std::string name = EscapeForPattern(m_name);
    std::string options = "[Oo][Pp][Tt][Ii][Oo][Nn][Ss]";
    CRegExp& pattern = Pattern(FillPattern(std::string(kCommentStart) + R"((?:(?:(?:\b%1\b)" + kHeadingGap + options +
                                    ")|(?:" + options + kHeadingGap + R"(\b%1\b))))" + kCommentRest +
                                    R"(.*\n((?:^\s*#define.*\n)+))",
                                name));
    CMatchList found = RunPatternQuietly(pattern, text);
    if (found.empty())
      return false;
    // Multiline, so that every line of the block gives a value.
    static CRegExp define(R"(^\s*#define\s+(\w+)\s*(\([^)\n]*\))?[^/\n]*(?:/[/*]+([^*\n]+))?)", true, true);
    for (const auto& match : RunPatternQuietly(define, found[0][2]))
      AddValue(match[0], match[2]);
    return true;
  }

  void AddValue(const std::string& valueName, const std::string& comment) {
    CKivoValueDef& value = m_def.AddValue();
    value.name = valueName;
    value.comment = Trim(comment);
  }

  const std::string& m_name;
  const std::string& m_type;
  const CKivoLoadEnv& m_env;
  CKivoVarDef& m_def;
  std::vector<std::string> m_visited;
  std::unique_ptr<CRegExp> m_ownPattern;
};

}  // namespace

bool ScanHeaderOptions(const std::string& name, const std::string& type, const std::string& headerText,
                       const std::string& headerPath, const CKivoLoadEnv& env, CKivoVarDef& def) {
  COptionSearch search(name, type, env, def);
  search.MarkRead(headerPath);
  return search.Search(headerText, 0);
}
