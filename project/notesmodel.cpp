// The notes entries, their states, the page rendering and the link forms.
#include "project/notesmodel.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "base/filereader.h"
#include "base/messagecatalog.h"
#include "base/ports.h"
#include "knowledge/kbtext.h"
#include "support/regexp.h"

namespace {

const char* StateClass(int state) {
  switch (state) {
    case CNotesModel::kNew:
      return "new_text";
    case CNotesModel::kChanged:
      return "chg_text";
    default:
      return "old_text";
  }
}

}  // namespace

bool CNotesModel::SetNote(CNotesOwner* owner, long key, const std::string& title,
                          const std::string& body, const std::string& linkText) {
  for (CEntry& entry : m_entries) {
    if (entry.owner != owner || entry.key != key)
      continue;
    if (entry.title == title && entry.body == body && entry.linkText == linkText)
      return false;
    entry.title = title;
    entry.body = body;
    entry.linkText = linkText;
    entry.state = kChanged;
    ++m_revision;
    return true;
  }
  CEntry entry{owner, key, title, body, linkText, kNew, m_nextId++};
  auto sameOwner = std::find_if(m_entries.begin(), m_entries.end(),
                                [owner](const CEntry& e) { return e.owner == owner; });
  m_entries.insert(sameOwner, std::move(entry));
  ++m_revision;
  return true;
}

void CNotesModel::RemoveNotes(const CNotesOwner* owner) {
  auto removed = std::erase_if(m_entries, [owner](const CEntry& e) { return e.owner == owner; });
  if (removed != 0)
    ++m_revision;
}

void CNotesModel::ReplaceNoteOwner(const CNotesOwner* oldOwner, CNotesOwner* newOwner) {
  for (CEntry& entry : m_entries)
    if (entry.owner == oldOwner)
      entry.owner = newOwner;
}

void CNotesModel::MarkNotesSeen() {
  bool changed = false;
  for (CEntry& entry : m_entries) {
    changed = changed || entry.state != kSeen;
    entry.state = kSeen;
  }
  if (changed)
    ++m_revision;
}

void CNotesModel::KeepStates(const std::vector<CEntry>& earlier) {
  bool changed = false;
  for (CEntry& entry : m_entries) {
    for (const CEntry& before : earlier) {
      if (before.key != entry.key || before.title != entry.title || before.body != entry.body ||
          before.linkText != entry.linkText)
        continue;
      changed = changed || entry.state != before.state;
      entry.state = before.state;
      break;
    }
  }
  if (changed)
    ++m_revision;
}

const CNotesModel::CEntry* CNotesModel::FindById(unsigned id) const {
  for (const CEntry& entry : m_entries)
    if (entry.id == id)
      return &entry;
  return nullptr;
}

std::string CNotesModel::NotesHtml() const {
  std::string html;
  for (const CEntry& entry : m_entries) {
    html += FormatPrintfText("<div class=\"%s\">\n", {PArg(StateClass(entry.state))});
    html += FormatPrintfText("<a name=\"A%x\"></a><h2>%s", {PArg(entry.id), entry.title});
    if (!entry.linkText.empty())
      html += FormatPrintfText(
          "<br>\n<span class=\"funclink\"><a href=\"kivovam:PN%u\">%s</a></span></h2>",
          {PArg(entry.id), entry.linkText});
    else
      html += "</h2>";
    html += entry.body;
    html += "\n</div>\n";
  }
  return html;
}

std::string CNotesModel::RenderPage(const std::string& templateText) const {
  bool present[3] = {false, false, false};
  for (const CEntry& entry : m_entries)
    present[std::clamp(entry.state, 0, 2)] = true;
  const std::pair<const char*, bool> legends[] = {{"%LEGEND_NEW_CLASS%", present[kNew]},
                                                  {"%LEGEND_CHG_CLASS%", present[kChanged]},
                                                  {"%LEGEND_OLD_CLASS%", present[kSeen]}};
  static CRegExp placeholder("(.*)(%\\S+%)", true, false);
  std::string page;
  std::istringstream in(templateText);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    int count = placeholder.Execute(line);
    std::vector<std::string> tags;
    for (int i = 0; i < count; ++i)
      tags.push_back(placeholder.GetMatch(i).SubMatch(1));
    for (const std::string& tag : tags) {
      if (tag == "%PROJECT_NOTES%") {
        page += NotesHtml();
        line = ReplaceAll(line, tag, "");
      }
      for (const auto& [name, visible] : legends)
        if (tag == name)
          line = ReplaceAll(line, tag, visible ? "vis" : "hid");
    }
    page += line;
    page += '\n';
  }
  return page;
}

bool CNotesModel::RenderPageFile(const std::string& templatePath, std::string& outPage) const {
  std::string text;
  if (!ReadWholeFileReported(templatePath, text))
    return false;
  outPage = RenderPage(text);
  return true;
}

CNotesModel::CLink CNotesModel::ParseLink(const std::string& textAfterScheme) {
  CLink link;
  unsigned id = 0;
  int engine = 0;
  int channel = 0;
  char extra = 0;
  const char* text = textAfterScheme.c_str();
  if (std::sscanf(text, "PN%u%c", &id, &extra) == 1) {
    link.kind = kLinkNote;
    link.noteId = id;
  } else if (std::sscanf(text, "E%d/Ch%d%c", &engine, &channel, &extra) == 2) {
    link.kind = kLinkChannel;
    link.engine = engine;
    link.channel = channel;
  }
  return link;
}

bool CNotesModel::FollowLink(const std::string& textAfterScheme,
                             const std::function<bool(int engine, int channel)>& showChannel) {
  const CLink link = ParseLink(textAfterScheme);
  // A link that leaves nothing behind must not spare the next leave by other means.
  struct CFlag {
    bool& flag;
    explicit CFlag(bool& f) : flag(f) { flag = true; }
    ~CFlag() { flag = false; }
  } following(m_followingLink);
  if (link.kind == kLinkNote) {
    const CEntry* entry = FindById(link.noteId);
    if (!entry || !entry->owner)
      return false;
    // The owner may change the entries on the way; its key is taken first.
    CNotesOwner* owner = entry->owner;
    const long key = entry->key;
    return owner->ShowInChannels(key);
  }
  if (link.kind == kLinkChannel)
    return showChannel && showChannel(link.engine, link.channel);
  return false;
}

void CNotesModel::PageLeft() {
  if (!m_followingLink)
    MarkNotesSeen();
}
