// The function-set library: set headers, the functions they list, and lookups over them.
#include "knowledge/fsetlib.h"

#include <algorithm>

#include "base/messagecatalog.h"
#include "base/ports.h"
#include "base/texthelpers.h"
#include "knowledge/folderscan.h"
#include "knowledge/headerscan.h"
#include "knowledge/kbregex.h"
#include "knowledge/kbtext.h"
#include "knowledge/optionscan.h"

namespace {

// Every set header gets an equal share of the bar.
constexpr int kProgressPerSet = 16;

bool IsSetHeaderName(const std::string& fileName) {
  // Most files of a tree are not set headers; the pattern is asked only
  // about names that hold its words.
  if (ToLower(fileName).find("kivo_set") == std::string::npos)
    return false;
  static CRegExp pattern(R"((.*[Kk][Ii][Vv][Oo]_[Ss][Ee][Tt](\S*)\.h$))");
  return !RunPatternQuietly(pattern, fileName).empty();
}

std::string ProgressText(int id, const std::vector<std::string>& args) {
  return FormatMessageText(CatalogText(id), args);
}

// Submatch `group` of the first match, or empty.
std::string FirstGroup(const CMatchList& matches, std::size_t group) {
  if (matches.empty() || matches.front().size() <= group)
    return {};
  return matches.front()[group];
}

std::string DefineValue(CRegExp& pattern, const std::string& text, const std::string& fileName) {
  return FirstGroup(RunPattern(pattern, text, fileName), 0);
}

}  // namespace

// --- CKivoFunc ---------------------------------------------------------------

CKivoFunc::~CKivoFunc() = default;

bool CKivoFunc::Init(const std::string& entryText, const std::string& path, const CKivoLoadEnv& env) {
  entry = entryText;
  name = Trim(entryText.substr(0, entryText.find('-')));
  title = Trim(entryText);
  if (path.empty() && name.empty())
    return false;
  for (char& c : name)
    if (c == ' ' || c == '.' || c == '\\' || c == '/')
      c = '_';
  CFolderIndex ownIndex;
  CFolderIndex& index = env.index ? *env.index : ownIndex;
  std::string headerName;
  if (!path.empty()) {
    headerName = FileNamePart(path);
    hasApi = LoadFile(path, env) ? 1 : 0;
  } else {
    headerName = ToLower("kivo_" + name + ".h");
    hasApi = SearchFolderTree(index, env.folder, headerName, [&](const std::string& found) {
      return LoadFile(found, env);
    }) ? 1 : 0;
  }
  if (hasApi) {
    apiHeaderRelPath = RelativeToFolder(apiHeaderPath, env.folder);
    std::string sourceName = headerName.substr(0, headerName.size() - ExtensionPart(headerName).size()) + ".c";
    SearchFolderTree(index, env.folder, sourceName, [&](const std::string& found) { return LoadFile(found, env); });
  }
  return true;
}

bool CKivoFunc::LoadFile(const std::string& path, const CKivoLoadEnv& env) {
  std::string text;
  if (!ReadTextFile(path, text))
    return false;
  if (EqualsIgnoreCase(ExtensionPart(path), ".h")) {
    apiHeaderPath = path;
    return ParseApiHeader(text, env) > 0;
  }
  return ParseApiSource(text) != 0;
}

int CKivoFunc::FunctionNumber() const {
  if (!owner)
    return -1;
  auto found = std::find(owner->slots.begin(), owner->slots.end(), this);
  return found == owner->slots.end() ? -1 : static_cast<int>(found - owner->slots.begin());
}

const CKivoInitFunc* CKivoFunc::FindInitFunc(const std::string& initName) const {
  for (const auto& initFunc : initFuncs)
    if (initFunc->name == initName)
      return initFunc.get();
  return nullptr;
}

const CKivoLoadExpr* CKivoFunc::FindLoadExpr(const std::string& exprName) const {
  auto found = loadExprs.find(exprName);
  return found == loadExprs.end() ? nullptr : found->second.get();
}

// --- CKivoFSet ---------------------------------------------------------------

bool CKivoFSet::Load(const std::string& setPath, const CKivoLoadEnv& env) {
  path = setPath;
  fileName = FileNamePart(setPath);
  relativePath = RelativeToFolder(setPath, env.folder);
  ReportProgressText(ProgressText(571, {fileName}));
  std::string text;
  if (!ReadTextFile(setPath, text))
    return false;
  return Parse(text, env);
}

bool CKivoFSet::Parse(const std::string& text, const CKivoLoadEnv& env) {
  static CRegExp miscPattern(R"(^\s*\#define\s+HV_KIVO_MISC\s+((0x[A-Fa-f0-9]+)|(\d+)))", true, true);
  static CRegExp tablePattern(R"(^\s*\#define\s+HV_KIVO_ENTRY_TABLE\s+((0x[A-Fa-f0-9]+)|(\d+)))", true, true);
  miscValue = DefineValue(miscPattern, text, fileName);
  entryTable = DefineValue(tablePattern, text, fileName);
  // Only the first comment of each kind is used.
  std::string listText = FirstGroup(FindHeadingComment(text, "list", "function"), 1);
  std::string settingsText = FirstGroup(FindHeadingComment(text, "presume", "setting"), 1);
  ReadEntries(listText, env);
  ReadPresumedSettings(settingsText, env);
  return true;
}

void CKivoFSet::ReadEntries(const std::string& listText, const CKivoLoadEnv& env) {
  static CRegExp entryPattern(R"re(^\s*(("")|("(.*?[^\\])")))re", true, true);
  std::vector<std::string> entries;
  for (const auto& match : RunPattern(entryPattern, listText, fileName)) {
    std::string entryText = match[0];
    StripQuotes(entryText);
    entries.push_back(entryText);
  }
  int total = static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                             [](const std::string& e) { return !e.empty(); }));
  int done = 0;
  slots.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].empty())
      continue;
    ReportProgressText(ProgressText(572, {fileName, entries[i]}));
    if (owner)
      owner->ReportEntryProgress(done, total);
    const CKivoFunc* func = owner ? owner->FunctionFor(entries[i], this, env) : nullptr;
    if (func) {
      slots.resize(i + 1, nullptr);
      slots[i] = func;
    }
    ++done;
  }
}

void CKivoFSet::ReadPresumedSettings(const std::string& settingsText, const CKivoLoadEnv& env) {
  presumedSettings.clear();
  presumedArguments.clear();
  std::vector<std::string> arguments;
  std::vector<std::string> names = FindSettingNames(settingsText, &arguments);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& setting = names[i];
    if (env.desc && env.desc->FindDefByValueName(setting)) {
      presumedSettings.push_back(setting);
      presumedArguments.push_back(arguments[i]);
    } else {
      ShowMessage(4038, EMessageKind::Warning, {QuoteExcerpt(setting), fileName});
    }
  }
}

int CKivoFSet::NextSlotPosition(std::size_t from) const {
  for (std::size_t i = from; i < slots.size(); ++i)
    if (slots[i])
      return static_cast<int>(i) + 1;
  return 0;
}

int CKivoFSet::FirstSlot() const { return NextSlotPosition(0); }

const CKivoFunc* CKivoFSet::NextFunc(int& position) const {
  if (position <= 0 || static_cast<std::size_t>(position) > slots.size()) {
    position = 0;
    return nullptr;
  }
  const CKivoFunc* func = slots[static_cast<std::size_t>(position) - 1];
  position = NextSlotPosition(static_cast<std::size_t>(position));
  return func;
}

const CKivoFunc* CKivoFSet::FindFunc(const std::string& funcName) const {
  for (const CKivoFunc* func : slots)
    if (func && EqualsIgnoreCase(func->name, funcName))
      return func;
  return nullptr;
}

const CKivoFunc* CKivoFSet::FindByInitName(const std::string& initName, const CKivoInitFunc** initFunc) const {
  for (const CKivoFunc* func : slots) {
    if (!func)
      continue;
    if (const CKivoInitFunc* found = func->FindInitFunc(initName)) {
      if (initFunc)
        *initFunc = found;
      return func;
    }
  }
  return nullptr;
}

// --- CKivoFSetLib ------------------------------------------------------------

int CKivoFSetLib::LoadAll(const std::string& folder, const CKivoCfgDesc* desc, CFolderIndex* sharedIndex) {
  m_folder = folder;
  m_sets.clear();
  m_byEntry.clear();
  m_functions.clear();
  CFolderIndex ownIndex;
  CFolderIndex& index = sharedIndex ? *sharedIndex : ownIndex;
  COptionTables optionTables;
  CKivoLoadEnv env{folder, desc, &index, &optionTables};
  int count = 0;
  ScanFolderTree(index, folder, [&](const std::string&, const std::string& name) {
    if (IsSetHeaderName(name))
      ++count;
  });
  m_progressBase = 0;
  ReportProgress(0, kProgressPerSet * count + 4);
  ScanFolderTree(index, folder, [&](const std::string& path, const std::string& name) {
    if (!IsSetHeaderName(name))
      return;
    auto set = std::make_unique<CKivoFSet>(this);
    if (set->Load(path, env))
      m_sets.push_back(std::move(set));
    // A set that lists one function or none would otherwise leave the bar
    // where it was, and the next set would start in its share.
    m_progressBase += kProgressPerSet;
    ReportProgress(m_progressBase, -1);
  });
  return static_cast<int>(m_sets.size());
}

void CKivoFSetLib::ReportEntryProgress(int done, int total) const {
  if (total > 0)
    ReportProgress(m_progressBase + done * kProgressPerSet / total, -1);
}

const CKivoFunc* CKivoFSetLib::FunctionFor(const std::string& entryText, const CKivoFSet* set,
                                           const CKivoLoadEnv& env) {
  auto found = m_byEntry.find(entryText);
  if (found != m_byEntry.end())
    return found->second;
  auto func = std::make_unique<CKivoFunc>(set);
  if (!func->Init(entryText, {}, env))
    return nullptr;
  const CKivoFunc* created = func.get();
  m_byEntry[entryText] = created;
  m_functions.push_back(std::move(func));
  return created;
}

const CKivoFSet* CKivoFSetLib::FindSet(const std::string& setPath) const {
  std::string wanted = setPath;
  std::replace(wanted.begin(), wanted.end(), '\\', '/');
  std::string wantedName = FileNamePart(wanted);
  for (const auto& set : m_sets)
    if (EqualsIgnoreCase(set->relativePath, wanted) || EqualsIgnoreCase(set->fileName, wantedName))
      return set.get();
  return nullptr;
}
