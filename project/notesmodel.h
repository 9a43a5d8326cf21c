// The entries of the project-notes page, their states and the page rendered from conf/pnotes.htm.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "project/projectport.h"

class CNotesModel {
 public:
  enum EState { kNew = 0, kChanged = 1, kSeen = 2 };

  struct CEntry {
    CNotesOwner* owner = nullptr;
    long key = 0;
    std::string title;
    std::string body;
    std::string linkText;
    int state = kNew;
    unsigned id = 0;
  };

  // True when the entry was added or changed.
  bool SetNote(CNotesOwner* owner, long key, const std::string& title, const std::string& body,
               const std::string& linkText);
  void RemoveNotes(const CNotesOwner* owner);
  void ReplaceNoteOwner(const CNotesOwner* oldOwner, CNotesOwner* newOwner);
  void MarkNotesSeen();
  // Entries that say what an entry of `earlier` said (same key, title, body
  // and link) take its state: a project read back keeps what the user saw.
  void KeepStates(const std::vector<CEntry>& earlier);

  const std::vector<CEntry>& Entries() const { return m_entries; }
  const CEntry* FindById(unsigned id) const;
  bool IsVisible() const { return !m_entries.empty(); }
  unsigned Revision() const { return m_revision; }

  // The notes HTML of every entry, in order.
  std::string NotesHtml() const;
  // The page from the template text with the placeholders replaced.
  std::string RenderPage(const std::string& templateText) const;
  // Reads the template from `templatePath`; false (message shown) when it cannot be read.
  bool RenderPageFile(const std::string& templatePath, std::string& outPage) const;

  // The link forms written into the page: "PN%u" and "E%d/Ch%d".
  enum ELinkKind { kLinkNone, kLinkNote, kLinkChannel };
  struct CLink {
    ELinkKind kind = kLinkNone;
    unsigned noteId = 0;
    int engine = 0;
    int channel = 0;
  };
  static CLink ParseLink(const std::string& textAfterScheme);

  // Follows a link of the page (the text after "kivovam:"): an entry's own
  // link calls its owner back, a channel link calls `showChannel` (engine,
  // channel). Leaving the page while the link is followed keeps every state.
  // False when the link names nothing or the owner could not show it.
  bool FollowLink(const std::string& textAfterScheme,
                  const std::function<bool(int engine, int channel)>& showChannel);
  // The page was left: every entry is seen, unless one of its links took the
  // user away (the notes stay new until they were looked at and left).
  void PageLeft();

 private:
  std::vector<CEntry> m_entries;
  unsigned m_revision = 1;
  unsigned m_nextId = 1;
  bool m_followingLink = false;
};
