// Writes a project as the generated C source and header from the templates.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <iomanip>
#include <limits>
#include <locale>
#include <map>
#include <set>
#include <sstream>

#include "base/filereader.h"
#include "base/paths.h"
#include "base/ports.h"
#include "base/texthelpers.h"
#include "knowledge/kbtext.h"
#include "project/filetransaction.h"
#include "project/projdoc.h"
#include "project/projectcheck.h"
#include "project/templateexpander.h"

namespace {

constexpr const char* kNoExternals = "/* ... no external variables used */\n";
constexpr std::chrono::milliseconds kSaveLockWait{3000};
constexpr int kSaveLockBusy = 4085;

std::string IncludeLine(const std::string& file) { return "#include \"" + file + "\""; }

std::string HexMask(uint32_t mask) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", mask);
  return text;
}

// SOURCE_DATE_EPOCH as seconds since 1970; false when it is not set or not a plain count.
bool SourceDateEpoch(std::time_t& out) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text)
    return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long seconds = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || text[0] == '-' || text[0] == '+' || text[0] == ' ' ||
      seconds > static_cast<unsigned long long>(std::numeric_limits<std::time_t>::max()))
    return false;
  out = static_cast<std::time_t>(seconds);
  return true;
}

// A build that sets SOURCE_DATE_EPOCH wants the same bytes on every machine, so
// its stamp is that time in UTC in the classic locale; otherwise the local time
// in the user's own format.
std::string StampDateTime() {
  std::time_t when = 0;
  std::tm parts{};
  std::ostringstream out;
  if (SourceDateEpoch(when)) {
    gmtime_r(&when, &parts);
    out.imbue(std::locale::classic());
  } else {
    when = std::time(nullptr);
    localtime_r(&when, &parts);
    try {
      out.imbue(std::locale(""));
    } catch (const std::runtime_error&) {
      // An environment naming a locale the system lacks falls back to the classic one.
    }
  }
  out << std::put_time(&parts, "%c");
  return out.str();
}

// The one letter of a tag such as "%CIE_A%" after `head`, or 0 when the tag
// has another shape.
char EngineLetterOf(const std::string& tag, const std::string& head) {
  if (tag.size() != head.size() + 2 || tag.compare(0, head.size(), head) != 0 || tag.back() != '%')
    return 0;
  return tag[head.size()];
}

int EngineOfLetter(char letter) { return letter == 'A' ? 0 : 1; }

// The number of "%CfgStructMemb<n>%", or 0 when the tag has another shape.
int MemberNumberOf(const std::string& tag) {
  static const std::string head = "%CfgStructMemb";
  if (tag.size() <= head.size() + 1 || tag.compare(0, head.size(), head) != 0 || tag.back() != '%')
    return 0;
  std::string digits = tag.substr(head.size(), tag.size() - head.size() - 1);
  if (digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return std::stoi(digits);
}

bool ExpandEngineTag(const CProjDoc& doc, const std::string& tag, std::string& outText) {
  using CEngine = CProjDoc::CEngine;
  using CField = uint32_t CEngine::*;
  static const std::pair<const char*, CField> masks[] = {
      {"%CIE_", &CEngine::cie},
      {"%DTRE_", &CEngine::dtre},
      {"%ODIS_", &CEngine::odis},
      {"%OPOL_", &CEngine::opol},
  };
  if (char letter = EngineLetterOf(tag, "%TCRCLK_")) {
    outText = FormatFrequencyExact(doc.m_engine[EngineOfLetter(letter)].tcrclkIn);
    return true;
  }
  for (const char* head : {"%TCR1_", "%TCR2_"}) {
    if (char letter = EngineLetterOf(tag, head)) {
      const CEngine& engine = doc.m_engine[EngineOfLetter(letter)];
      outText = std::to_string(head[4] == '1' ? engine.tcr1Freq : engine.tcr2Freq);
      return true;
    }
  }
  for (const auto& [head, field] : masks) {
    if (char letter = EngineLetterOf(tag, head)) {
      outText = HexMask(doc.m_engine[EngineOfLetter(letter)].*field);
      return true;
    }
  }
  return false;
}

// The functions and the kept calls in the order they are written: a kept call
// before the function its anchor names.
template <typename OnFunction, typename OnKept>
void ForEachInOrder(const CProjDoc& doc, OnFunction&& onFunction, OnKept&& onKept) {
  const auto& kept = doc.m_kept.calls;
  std::size_t next = 0;
  for (std::size_t i = 0; i < doc.m_funcs.size(); ++i) {
    for (; next < kept.size() && kept[next].anchor <= i; ++next)
      onKept(kept[next]);
    onFunction(*doc.m_funcs[i]);
  }
  for (; next < kept.size(); ++next)
    onKept(kept[next]);
}

std::string ApiIncludeLines(const CProjDoc& doc) {
  std::set<const CKivoFunc*> handled;
  std::set<std::string> included;
  std::string lines;
  auto addIncludes = [&](const CProjDoc::CFuncInfo& func) {
    if (!handled.insert(func.function).second)
      return;
    std::vector<std::string> files, descriptions;
    func.GetApiIncludes(files, descriptions);
    const std::string title = func.function ? func.function->title : std::string();
    for (std::size_t i = 0; i < files.size(); ++i) {
      // A header that an application and a function both need is included once.
      if (files[i].empty() || !included.insert(files[i]).second)
        continue;
      std::string line = IncludeLine(files[i]) + " /* " + title;
      if (i < descriptions.size() && descriptions[i] != title)
        line += ": " + descriptions[i];
      if (!lines.empty())
        lines += '\n';
      lines += line + " */";
    }
  };
  // A kept call of a known function still needs its header.
  ForEachInOrder(doc, addIncludes, [&](const CProjDoc::CKeptCall& kept) {
    if (!kept.function || !kept.initFunc)
      return;
    // A stand-in of the call's function; naming its headers only reads the document.
    CProjDoc::CFuncInfo_Api stand;
    stand.doc = const_cast<CProjDoc*>(&doc);
    stand.function = kept.function;
    stand.initFunc = kept.initFunc;
    addIncludes(stand);
  });
  return lines;
}

// The include lines kept from a source whose function set is missing, less
// those that the templates, the project header and the functions write.
std::string KeptIncludeLines(const CProjDoc& doc, const std::string& written, const std::set<std::string>& fixed) {
  std::vector<std::string> writtenNames = IncludedNames(written);
  std::set<std::string> names(writtenNames.begin(), writtenNames.end());
  std::string lines;
  for (const std::string& line : doc.m_kept.includes) {
    std::string name = IncludedFileName(line);
    if (fixed.count(name) || !names.insert(name).second)
      continue;
    lines += (lines.empty() ? "" : "\n") + line;
  }
  return lines;
}

// The written lines joined by line ends, each kept line where it stood among them.
std::string JoinWithKept(const std::vector<std::string>& written, const std::vector<CProjDoc::CKeptLine>& kept) {
  std::string text;
  std::size_t next = 0;
  auto add = [&](const std::string& line) { text += (text.empty() ? "" : "\n") + line; };
  for (std::size_t i = 0; i < written.size(); ++i) {
    for (; next < kept.size() && kept[next].anchor <= i; ++next)
      add(kept[next].text);
    add(written[i]);
  }
  for (; next < kept.size(); ++next)
    add(kept[next].text);
  return text;
}

// A kept call keeps its own heading when it had one of a block's shape.
std::string KeptBlock(const CProjDoc::CKeptCall& kept) {
  if (kept.text.rfind("/*", 0) == 0)
    return kept.text + "\n";
  return "/* \n *  Kept as written: Kivo Vam could not read this call\n */\n" + kept.text + "\n";
}

std::string InitCodeBlocks(const CProjDoc& doc) {
  std::string text;
  ForEachInOrder(
      doc,
      [&](const CProjDoc::CFuncInfo& func) {
        std::string block;
        func.GenerateInitCode(block);
        text += block + "\n";
      },
      [&](const CProjDoc::CKeptCall& kept) { text += KeptBlock(kept) + "\n"; });
  return text;
}

std::string ChannelDefines(const CProjDoc& doc) {
  std::vector<std::string> defines;
  for (const auto& func : doc.m_funcs) {
    char letter = func->engine == 1 ? 'B' : 'A';
    for (const auto& chan : func->channels) {
      // An unused channel has no number to define; its calls say KIVO_CHAN_NOT_USED.
      if (chan->number < 0)
        continue;
      defines.push_back("#define " + func->ChannelDefineName(*chan) + "\tKIVO_ENGINE_" + letter + "_CHANNEL(" +
                        std::to_string(chan->number) + ")");
    }
  }
  return JoinWithKept(defines, doc.m_kept.channelDefines);
}

std::string LoadInputComments(const CProjDoc& doc) {
  std::vector<std::string> blocks;
  for (const auto& func : doc.m_funcs) {
    const auto* api = dynamic_cast<const CProjDoc::CFuncInfo_Api*>(func.get());
    if (!api || !api->hasLoadInputs || api->loadInputs.values.empty())
      continue;
    blocks.push_back("/* " + api->InstanceName() + " load expression inputs:\n" + api->loadInputs.ToText() + "*/\n");
  }
  return JoinWithKept(blocks, doc.m_kept.loadInputs);
}

std::string VerbatimText(const CProjDoc& doc) {
  if (doc.m_strVerbatim.empty())
    return {};
  return "/* Start of the verbatim block */\n" + TrimRight(doc.m_strVerbatim) +
         "\n/* End of the verbatim block */\n";
}

// The name by which the source includes its header: the name the header has
// beside the source, unless the header is a link and the source being replaced
// includes the file the link names by that file's own name (a pair kept as
// links into a firmware tree and compiled there): a save does not change which
// file a firmware build includes.
std::string HeaderIncludeName(const std::string& cPath, const std::string& hPath) {
  std::string given = FileNamePart(hPath);
  std::string named = FileNamePart(WrittenPath(hPath));
  std::string previous, reason;
  if (named == given || ReadWholeFile(cPath, previous, reason) != EFileRead::kRead)
    return given;
  bool includesNamed = previous.find(IncludeLine(named)) != std::string::npos;
  bool includesGiven = previous.find(IncludeLine(given)) != std::string::npos;
  return includesNamed && !includesGiven ? named : given;
}

}  // namespace

bool CProjDoc::GenerateProjectTexts(const std::string& headerName, std::string& outSource,
                                    std::string& outHeader) {
  PushCombinations();
  std::string base = m_cpu.templateName.empty() ? "template" : m_cpu.templateName;
  std::string folder = m_kb->ConfFolder();
  std::string sourceTemplate, headerTemplate;
  // A template that does not read fails the save before anything is written:
  // an empty text would replace the project with an empty file.
  if (!ReadWholeFileReported(CombinePath(folder, base + "._c"), sourceTemplate) ||
      !ReadWholeFileReported(CombinePath(folder, base + "._h"), headerTemplate))
    return false;
  std::vector<std::string> templateIncludes = IncludedNames(sourceTemplate + "\n" + headerTemplate);
  std::set<std::string> fixedIncludes(templateIncludes.begin(), templateIncludes.end());
  fixedIncludes.insert(headerName);
  CTemplateExpander expander([&](const std::string& tag) {
    if (tag == "%ProjHeaderInclude%")
      return IncludeLine(headerName);
    std::string text;
    ExpandPlaceholder(tag, text);
    if (tag == "%ApiFuncIncludes%" && !m_kept.includes.empty()) {
      std::string kept = KeptIncludeLines(*this, text, fixedIncludes);
      text += (text.empty() || kept.empty() ? "" : "\n") + kept;
    }
    return text;
  });
  outSource = expander.Expand(sourceTemplate);
  outHeader = expander.Expand(headerTemplate);
  return true;
}

bool CProjDoc::GenerateSaveTexts(const std::string& cPath, const std::string& hPath, std::string& outSource,
                                 std::string& outHeader) {
  return GenerateProjectTexts(HeaderIncludeName(cPath, hPath), outSource, outHeader);
}

bool CProjDoc::GenerateProjectFiles(const std::string& cPath, const std::string& hPath) {
  std::string source, header;
  if (!GenerateSaveTexts(cPath, hPath, source, header))
    return false;
  // Another program saving into the same place is waited for, a few seconds
  // at most, so that the pair on disk is always one save's pair.
  CSaveLock lock;
  std::string failedPath, reason;
  switch (lock.Acquire(cPath, kSaveLockWait, reason)) {
    case CSaveLock::kLocked: break;
    case CSaveLock::kBusy: ShowMessage(kSaveLockBusy, EMessageKind::Warning, {cPath}); return false;
    case CSaveLock::kFailed: ShowFileError(lock.LockPath(), reason); return false;
  }
  CFileTransaction files;
  files.Add(cPath, std::move(source));
  files.Add(hPath, std::move(header));
  if (!files.Commit(failedPath, reason)) {
    ShowFileError(failedPath, reason);
    return false;
  }
  return true;
}

bool CProjDoc::ExpandPlaceholder(const std::string& name, std::string& outText) {
  std::string tag = !name.empty() && name.front() == '%' ? name : "%" + name + "%";
  using CExpansion = std::function<std::string(const CProjDoc&)>;
  static const std::map<std::string, CExpansion> fixed = {
      {"%DateTime%", [](const CProjDoc&) { return StampDateTime(); }},
      // A set the library lacks is included as the project named it.
      {"%FSetFileInclude%",
       [](const CProjDoc& doc) {
         if (doc.m_pFSet)
           return IncludeLine(doc.m_pFSet->relativePath);
         return doc.m_strFSetInclude.empty() ? std::string("/* no function set was selected */")
                                             : IncludeLine(doc.m_strFSetInclude);
       }},
      // Outside a save the header has its default name.
      {"%ProjHeaderInclude%", [](const CProjDoc&) { return IncludeLine(kDefaultHName); }},
      {"%CPU%", [](const CProjDoc& doc) { return doc.m_strCpu; }},
      {"%SYSCLK%", [](const CProjDoc& doc) { return FormatFrequencyExact(doc.m_nSysClk); }},
      {"%PTBCLK%", [](const CProjDoc& doc) { return FormatFrequencyExact(doc.m_nPtbClk); }},
      {"%ApiFuncIncludes%", [](const CProjDoc& doc) { return ApiIncludeLines(doc); }},
      {"%FuncEnum%", [](const CProjDoc& doc) { return InitCodeBlocks(doc); }},
      {"%ApiExternArgs%",
       [](const CProjDoc& doc) {
         return doc.m_bExternDecls
                    ? "/* External object declarations */\n" + doc.GenerateExternDeclsText()
                    : std::string();
       }},
      {"%VerbatimBlock%", [](const CProjDoc& doc) { return VerbatimText(doc); }},
      {"%ChannAssig%", [](const CProjDoc& doc) { return ChannelDefines(doc); }},
      {"%LoadExprInputs%", [](const CProjDoc& doc) { return LoadInputComments(doc); }},
  };
  if (auto found = fixed.find(tag); found != fixed.end()) {
    outText = found->second(*this);
    return true;
  }
  if (ExpandEngineTag(*this, tag, outText))
    return true;
  if (int n = MemberNumberOf(tag); n >= 1 && n <= kCfgMembers) {
    outText = CfgMemberText(n);
    return true;
  }
  // Written into the output so that a compiler rejects the file; the save goes on.
  outText = "#error Internal Kivo Vam error (unknown placeholder tag " + tag + ")";
  return false;
}

std::string CProjDoc::GenerateExternDeclsText() const {
  std::string text;
  for (const auto& func : m_funcs)
    func->GenerateExternDecls(text);
  return text.empty() ? kNoExternals : text;
}

