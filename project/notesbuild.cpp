// Builds the notes entries of a project's functions from their API descriptions.
#include <cctype>
#include <cstdio>

#include "knowledge/apimeta.h"
#include "knowledge/fsetlib.h"
#include "knowledge/kbtext.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "support/regexp.h"

namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

// The argument of a prefixed tag: none when "%" follows the prefix; else up to
// the first ")%", or to the tag's closing "%" when there is none.
bool TagArgument(const std::string& tag, std::size_t prefixLength, std::string& outArg) {
  std::size_t begin = prefixLength;
  if (begin >= tag.size() || tag[begin] == '%')
    return false;
  if (tag[begin] == '(')
    ++begin;
  std::size_t end = tag.find(")%", begin);
  if (end == std::string::npos)
    end = tag.size() - 1;
  outArg = end > begin ? tag.substr(begin, end - begin) : std::string();
  return true;
}

char EngineLetter(int engine) { return engine == 1 ? 'B' : 'A'; }

std::string ChannelLink(int engine, int channel, const std::string& text) {
  return "<a href=\"kivovam:E" + std::to_string(engine == 1 ? 1 : 0) + "/Ch" +
         std::to_string(channel) + "\">" + text + "</a>";
}

}  // namespace

void CProjDoc::BuildAllNotes() {
  for (const auto& func : m_funcs) {
    if (func->IsApi())
      func->BuildNotes();
    else if (m_notes)
      m_notes->RemoveNotes(func.get());
  }
}

bool CProjDoc::CFuncInfo_Api::BuildNotes() {
  CNotesModel* notes = doc ? doc->Notes() : nullptr;
  if (!notes || !initFunc)
    return false;
  std::string text = initFunc->notes;
  if (text.empty()) {
    notes->RemoveNotes(this);
    return false;
  }
  static CRegExp lastTag("(.*)(%\\S+%)", true, false);
  int count = lastTag.Execute(text);
  std::vector<std::string> tags;
  for (int i = 0; i < count; ++i)
    tags.push_back(lastTag.GetMatch(i).SubMatch(1));
  for (const std::string& tag : tags) {
    std::string expansion;
    ExpandNotesTag(tag, expansion);
    text = ReplaceAll(text, tag, expansion);
  }
  const std::string title = initFunc->owner ? initFunc->owner->title : std::string();
  char caption[64];
  std::snprintf(caption, sizeof caption, "Engine %c, Channel %d", EngineLetter(engine),
                LowestChannel());
  return notes->SetNote(this, 0, title, text, caption);
}

bool CProjDoc::CFuncInfo_Api::ExpandNotesTag(const std::string& tag, std::string& outText) const {
  const CKivoFunc* owner = initFunc ? initFunc->owner : function;
  const std::string ownerName = owner ? owner->name : std::string();
  const std::string ownerTitle = owner ? owner->title : std::string();
  const int lowest = LowestChannel();
  const char letter = EngineLetter(engine);

  if (EqualsIgnoringCase(tag, "%engine%")) {
    outText = std::string(1, letter);
  } else if (EqualsIgnoringCase(tag, "%enginename%")) {
    outText = std::string("Engine ") + letter;
  } else if (EqualsIgnoringCase(tag, "%funccall%")) {
    outText = initFunc ? initFunc->name : std::string();
  } else if (EqualsIgnoringCase(tag, "%funcname%")) {
    outText = ownerName;
  } else if (EqualsIgnoringCase(tag, "%funcdesc%")) {
    outText = ownerTitle;
  } else if (EqualsIgnoringCase(tag, "%channel%")) {
    outText = std::to_string(lowest);
  } else {
    struct CPrefix {
      const char* text;
      enum { kPos, kName, kDesc, kParam } kind;
    };
    static const CPrefix kPrefixes[] = {
        {"%linkpos", CPrefix::kPos},     {"%linkname", CPrefix::kName},
        {"%linkdesc", CPrefix::kDesc},   {"%link", CPrefix::kName},
        {"%param", CPrefix::kParam},     {"%valueof", CPrefix::kParam},
        {"%^", CPrefix::kParam},
    };
    for (const CPrefix& prefix : kPrefixes) {
      const std::string start = prefix.text;
      if (tag.compare(0, start.size(), start) != 0)
        continue;
      std::string arg;
      bool hasArg = TagArgument(tag, start.size(), arg);
      switch (prefix.kind) {
        case CPrefix::kPos:
          outText = ChannelLink(engine, lowest,
                                std::string("Engine ") + letter + ", Channel " + std::to_string(lowest));
          break;
        case CPrefix::kName:
          outText = ChannelLink(engine, lowest, hasArg && !arg.empty() ? arg : ownerName);
          break;
        case CPrefix::kDesc:
          outText = ChannelLink(engine, lowest, hasArg && !arg.empty() ? arg : ownerTitle);
          break;
        case CPrefix::kParam: {
          const CParamInfo* info = hasArg ? FindParam(arg) : nullptr;
          outText = info ? info->value.Text() : std::string("<i>undefined</i>");
          break;
        }
      }
      return true;
    }
    outText = "<i>" + tag + "</i>";
  }
  return true;
}
