// The observer port through which a project tells its views what changed.
#pragma once

// What a change touched; a view refreshes only what the hint names.
enum EProjectHint {
  kHintEverything = 0,
  kHintStoreControls = 1,
  kHintEngineA = 2,
  kHintEngineB = 3,
  kHintAllEngines = 4,
  kHintLoadInputs = 5,
};

class CProjDoc;

// Implemented by the desktop views; a headless driver attaches none.
class CProjectObserver {
 public:
  virtual ~CProjectObserver() = default;
  virtual void OnProjectUpdate(CProjDoc& doc, int hint) = 0;
  // Makes the channels page of `engine` current; false when there is none to show.
  virtual bool ShowChannelsPage(CProjDoc& /*doc*/, int /*engine*/) { return false; }
  // The modified mark was set or cleared.
  virtual void OnModifiedChanged(CProjDoc& /*doc*/) {}
  // The command line's lock of File New and File Open came or went.
  virtual void OnCommandLineLockChanged(CProjDoc& /*doc*/) {}
  // What Undo and Redo would take changed.
  virtual void OnUndoHistoryChanged(CProjDoc& /*doc*/) {}
};

// The owner of a notes entry: the notes page calls it back when the entry's
// own link is followed.
class CNotesOwner {
 public:
  virtual ~CNotesOwner() = default;
  // Makes the owner's channels page current; false when that did not work.
  virtual bool ShowInChannels(long key) = 0;
};
