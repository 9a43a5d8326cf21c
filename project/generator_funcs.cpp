// The generated code of one configured function: its init block, external declarations and API includes.
#include <set>

#include "base/messagecatalog.h"
#include "knowledge/fapplib.h"
#include "knowledge/kbtext.h"
#include "project/codetext.h"
#include "project/projdoc.h"

namespace {

constexpr const char* kNoChannel = "0 /* no channel */";

// One argument of a generated call with the comment written after it.
struct CArgument {
  std::string text;
  std::string comment;
};

// Continuation lines of a call line up under its first argument.
std::string JoinCall(const std::string& start, const std::vector<CArgument>& args) {
  std::string indent(start.size(), ' ');
  std::string call = start;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool last = i + 1 == args.size();
    call += args[i].text + (last ? ");\t" : ",\t") + args[i].comment + "\n" + indent;
  }
  if (args.empty())
    call += ");";
  return TrimRight(call);
}

char EngineLetter(int engine) { return engine == 1 ? 'B' : 'A'; }

std::string ChannelComment(int engine, int number) {
  return std::string("/* engine: ") + EngineLetter(engine) + "; channel: " + std::to_string(number) +
         " */";
}

std::string Block(const std::string& head, const std::string& title, const std::string& body) {
  return ReplaceAll("/* \n *  " + head + ": '" + title + "'\n */\n" + body, "\r\n", "\n");
}

// The comment shows what the user chose: a defined value by its display name,
// a value that takes an argument by the argument, anything else as written.
std::string ValueComment(const CKivoVarValue& value) {
  if (!IsDefinedValue(value))
    return value.valueName;
  for (const auto& defined : value.def->values)
    if (defined->name == value.valueName)
      return defined->takesArg ? value.argument : defined->DisplayText();
  return value.valueName;
}

// A pseudo-field of the generic call set from a number: a defined value
// that takes an argument carries the number, otherwise the number stands alone.
CKivoVarValue NumberField(const CKivoCfgDesc* desc, const char* section, int number) {
  CKivoVarValue value(desc ? desc->FindDefBySection(section) : nullptr);
  std::string text = std::to_string(number);
  const CKivoValueDef* found = value.def ? value.def->FindValue(text, false) : nullptr;
  if (found) {
    value.valueName = found->name;
    if (found->takesArg)
      value.argument = text;
  } else {
    value.valueName = text;
  }
  return value;
}

CArgument FieldArgument(const CKivoVarValue* value) {
  std::string text = value ? value->Text() : std::string();
  if (text.empty())
    return {"0", "/* parameter missing */"};
  return {text, "/* " + CommentSafe(value->CommentText()) + " */"};
}

// The reader finds a generic function by its number in the selected set, so
// that number is the one written, also for a function first listed elsewhere.
int SlotNumber(const CProjDoc* doc, const CKivoFunc* function) {
  if (doc && doc->m_pFSet) {
    const auto& slots = doc->m_pFSet->slots;
    for (std::size_t i = 0; i < slots.size(); ++i)
      if (slots[i] == function)
        return static_cast<int>(i);
  }
  return function ? function->FunctionNumber() : -1;
}

}  // namespace

void CProjDoc::CFuncInfo_Api::GenerateInitCode(std::string& outText) const {
  outText.clear();
  if (!initFunc)
    return;
  std::string channel;
  std::vector<CArgument> args;
  for (const auto& param : initFunc->params) {
    if (param->IsChannel()) {
      const CChannInfo* chan = nullptr;
      for (const auto& candidate : channels)
        if (candidate->param == param.get() && candidate->number >= 0)
          chan = candidate.get();
      if (!chan) {
        args.push_back({"KIVO_CHAN_NOT_USED", "/* This channel is not used */"});
        continue;
      }
      std::string define = ChannelDefineName(*chan, true);
      if (channel.empty())
        channel = define;
      args.push_back({define, ChannelComment(engine, chan->number)});
      continue;
    }
    auto found = params.find(param.get());
    std::string text = found == params.end() ? std::string() : ParamValueText(found->second->value);
    if (text.empty())
      args.push_back({"0", "/* " + param->name + ": parameter missing */"});
    else
      args.push_back({text, "/* " + CommentSafe(param->name + ": " + ValueComment(found->second->value)) + " */"});
  }
  if (channel.empty())
    channel = kNoChannel;
  std::string call = JoinCall("err_code = " + initFunc->name + " (", args);
  outText = Block("Kivo API Function initialization", function ? function->title : std::string(),
                  call + "\nif (err_code != 0)\n\treturn ((" + channel + ") + 1);\n");
}

int CProjDoc::CFuncInfo_Api::GenerateExternDecls(std::string& outText) const {
  if (!initFunc)
    return 0;
  int added = 0;
  for (const auto& param : initFunc->params) {
    if (param->IsChannel())
      continue;
    auto found = params.find(param.get());
    if (found == params.end() || found->second->value.valueName.empty())
      continue;
    const CKivoVarValue& value = found->second->value;
    if (value.def && IsDefinedValue(value))
      continue;
    added += AppendDeclaration(outText, MakeExternDeclaration(value.valueName, param->type)) ? 1 : 0;
  }
  return added;
}

void CProjDoc::CFuncInfo_Api::GetApiIncludes(std::vector<std::string>& outFiles,
                                             std::vector<std::string>& outDescriptions) const {
  if (!initFunc || !initFunc->owner)
    return;
  const CKivoFunc* owner = initFunc->owner;
  const auto* app = dynamic_cast<const CKivoFapp*>(owner);
  if (app) {
    // An application may name one function twice, or two names may find one
    // function; its header is listed once.
    std::set<const CKivoFunc*> listed;
    std::string usedName;
    for (std::size_t position = app->BeginUsed(doc ? doc->m_pFSet : nullptr);
         position < app->usedFunctions.size();) {
      const CKivoFunc* used = app->NextUsed(position, usedName);
      if (used && used->hasApi && listed.insert(used).second) {
        outFiles.push_back(used->apiHeaderRelPath);
        outDescriptions.push_back(used->title);
      }
    }
  }
  outFiles.push_back(owner->apiHeaderRelPath);
  outDescriptions.push_back(app ? std::string(CatalogText(575)) : owner->title);
}

void CProjDoc::CFuncInfo_NonApi::GenerateInitCode(std::string& outText) const {
  const CKivoCfgDesc* desc = doc ? &doc->Kb().cfgDesc : Group(1).Description();
  const CChannInfo* chan = channels.empty() ? nullptr : channels.front().get();
  std::string channel = chan ? ChannelDefineName(*chan, true) : std::string(kNoChannel);
  bool kivo2 = doc && doc->m_cpu.isKivo2;

  std::string start = "err_code = (int32_t) hv_kivo_chan_init (";
  std::string indent(start.size(), ' ');
  CKivoVarValue number = NumberField(desc, "FNAPI.FUNCTION", SlotNumber(doc, function));
  CKivoVarValue count = NumberField(desc, "FNAPI.PRMCOUNT", static_cast<int>(rawParams.size()));
  std::string config;
  Group(2).Format(config, kivo2);
  std::vector<CArgument> args = {
      chan ? CArgument{channel, ChannelComment(engine, chan->number)}
           : CArgument{"KIVO_CHAN_NOT_USED", "/* This channel is not used */"},
      FieldArgument(&number),
      FieldArgument(Group(1).Find("FNAPI.MODE")),
      FieldArgument(Group(3).Find("FNAPI.HSR")),
      FieldArgument(&count),
      {config.empty() ? "0" : ReplaceAll(config, "\n", "\n" + indent), ""},
      {"0", "/* Function Frame: 0 */"},
  };
  std::string call = JoinCall(start, args);

  std::string paramLines;
  char line[64];
  for (std::size_t i = 0; i < rawParams.size(); ++i) {
    // An empty value would leave the call without an argument; 0 is what the
    // next save reads back, so the comment says 0 too.
    std::string value = Trim(rawParams[i]->value.valueName);
    if (value.empty())
      value = "0";
    std::snprintf(line, sizeof line, ", 0x%02x, ", static_cast<unsigned>(4 * i));
    paramLines += "hv_kivo_set_chan_local_32 (" + channel + line + value + ");\t/* prm" +
                  std::to_string(i) + ": " + CommentSafe(value) + " */\n";
  }
  paramLines = TrimRight(paramLines);
  const CKivoVarValue* priority = Group(4).Find("FNAPI.PRIORITY");
  std::string priorityText = priority ? priority->Text() : std::string();
  if (priorityText.empty())
    priorityText = "0";

  outText = Block("Kivo Non-API Function initialization", function ? function->title : std::string(),
                  call + "\nif (err_code == HV_KIVO_ERROR_MALLOC)\n\treturn ((" + channel + ") + 1);\n" +
                      (paramLines.empty() ? "" : "/* set function parameters */\n") + paramLines +
                      "\n/* set channel priority */\nhv_kivo_enable (" + channel + ", " + priorityText +
                      ");\n");
}

int CProjDoc::CFuncInfo_NonApi::GenerateExternDecls(std::string& outText) const {
  int added = 0;
  // A raw parameter is a 32-bit word, so that is the type of what it names.
  for (const auto& param : rawParams)
    added += AppendDeclaration(outText, MakeExternDeclaration(param->value.valueName, "uint32_t")) ? 1 : 0;
  return added;
}
