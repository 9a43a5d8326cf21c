// The application library: ready-made combinations of functions with their own C API.
#include "knowledge/fapplib.h"

#include <algorithm>

#include "base/messagecatalog.h"
#include "base/ports.h"
#include "knowledge/commentpatterns.h"
#include "knowledge/folderscan.h"
#include "knowledge/kbregex.h"
#include "knowledge/kbtext.h"
#include "knowledge/optionscan.h"

int CKivoFapp::ParseApiHeader(const std::string& text, const CKivoLoadEnv& env) {
  usedFunctions.clear();
  int count = CKivoFunc::ParseApiHeader(text, env);
  if (count > 0)
    ReadUsedFunctions(text);
  return count;
}

void CKivoFapp::ReadUsedFunctions(const std::string& text) {
  static CRegExp pattern(std::string(kCommentStart) +
                      R"((?:[Kk][Ii][Vv][Oo]\s*[Ff][Uu][Nn][Cc][Tt][Ii][Oo][Nn][Ss]?\s*[Uu][Ss][Ee][Dd]\s*\:?))" +
                      kCommentRest,
                  true, true);
  for (const auto& match : RunPattern(pattern, text, apiHeaderPath)) {
    // Every piece counts, empty ones too: a list ending in a comma names a
    // function no set has.
    for (const std::string& piece : SplitAny(match[1], ",;:")) {
      std::string used = Trim(piece);
      if (std::find(usedFunctions.begin(), usedFunctions.end(), used) == usedFunctions.end())
        usedFunctions.push_back(used);
    }
  }
}

std::size_t CKivoFapp::BeginUsed(const CKivoFSet* set) const {
  if (!set)
    return usedFunctions.size();
  currentSet = set;
  return 0;
}

const CKivoFunc* CKivoFapp::NextUsed(std::size_t& position, std::string& usedName) const {
  usedName.clear();
  if (!currentSet || position >= usedFunctions.size())
    return nullptr;
  usedName = usedFunctions[position++];
  return currentSet->FindFunc(usedName);
}

bool CKivoFapp::IsAvailableIn(const CKivoFSet* set) const {
  if (!set)
    return false;
  return std::all_of(usedFunctions.begin(), usedFunctions.end(),
                     [set](const std::string& used) { return set->FindFunc(used) != nullptr; });
}

int CKivoFappLib::Scan(const std::string& folder, const CKivoCfgDesc* desc) {
  static CRegExp appPattern(R"(.*[Kk][Ii][Vv][Oo]_([Aa][Pp][Pp]_\S*)\.h$)");
  m_apps.clear();
  CFolderIndex index;
  COptionTables optionTables;
  CKivoLoadEnv env{folder, desc, &index, &optionTables};
  ReportProgressText(std::string(CatalogText(573)));
  ScanFolderTree(index, folder, [&](const std::string& path, const std::string& name) {
    CMatchList match = RunPatternQuietly(appPattern, name);
    if (match.empty())
      return;
    ReportProgressText(FormatMessageText(CatalogText(574), {name}));
    auto app = std::make_unique<CKivoFapp>(this);
    app->path = path;
    if (app->Init(match[0][0], path, env))
      m_apps.push_back(std::move(app));
  });
  return static_cast<int>(m_apps.size());
}

int CKivoFappLib::CollectAvailable(std::vector<const CKivoFapp*>& outList, const CKivoFSet* set) const {
  int count = 0;
  for (const auto& app : m_apps)
    if (app->IsAvailableIn(set)) {
      outList.push_back(app.get());
      ++count;
    }
  return count;
}

const CKivoFapp* CKivoFappLib::FindByInitName(const std::string& initName, const CKivoInitFunc** initFunc) const {
  for (const auto& app : m_apps)
    if (const CKivoInitFunc* found = app->FindInitFunc(initName)) {
      if (initFunc)
        *initFunc = found;
      return app.get();
    }
  return nullptr;
}
