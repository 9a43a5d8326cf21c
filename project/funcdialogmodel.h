// The function dialog's rules: the entries it offers, one working copy per entry, the channel and parameter edits of both pages and the code they give.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "project/projdoc.h"

class CKivoFunc;
class CKivoParam;

// One channel of the working copy as the API page's table shows it.
struct CFuncChannelRow {
  std::string name;
  std::string number;       // "%d"
  bool assignable = false;  // set by a parameter of the call, so chosen in place
};

// One parameter as either page's table shows it.
struct CFuncParamRow {
  std::string name;
  std::string value;  // the display text, "?" when the value is missing
  bool missing = false;
  std::string type;
  std::string description;
  // What the in-place editor offers; none for a value that is only typed.
  std::vector<std::string> choices;
  // Whether a text other than the choices may be typed.
  bool typed = true;
};

// What the dialog works on. The accepted copy goes to the caller; the rest go
// with the model.
class CFuncDialogModel {
 public:
  enum EKind { kAddFunction, kAddApplication, kEdit };

  // `edited` (kEdit only) is the configured function of the project that the
  // dialog edits a copy of; `defaultChannel` is where new channel assignments
  // start, -1 for the first free channel.
  CFuncDialogModel(CProjDoc& doc, EKind kind, int engine, const CProjDoc::CFuncInfo* edited = nullptr,
                   int defaultChannel = -1);
  ~CFuncDialogModel();
  CFuncDialogModel(const CFuncDialogModel&) = delete;
  CFuncDialogModel& operator=(const CFuncDialogModel&) = delete;

  EKind Kind() const { return m_kind; }
  int Engine() const { return m_engine; }
  CProjDoc& Doc() const { return m_doc; }

  // ---- Caption and subject
  // The label before the function list, with its accelerator: "Kivo &Function".
  std::string Subject() const;
  // "Add Kivo Function", "Edit Kivo Application", ...
  std::string Caption() const;

  // ---- Channels nobody else uses: 0 to 31 of this engine, the edited
  // function's own included.
  const std::vector<int>& FreeChannels() const { return m_free; }
  std::vector<std::string> FreeChannelTexts() const;
  int StartChannel() const { return m_start; }

  // ---- Entries and working copies
  const std::vector<const CKivoFunc*>& Entries() const { return m_entries; }
  std::vector<std::string> EntryTexts() const;
  // The entry's own copy, made with its defaults on first selection; null for
  // an index outside the list.
  CProjDoc::CFuncInfo* Select(int index);
  int Selected() const { return m_selected; }
  CProjDoc::CFuncInfo* Current() const;
  bool CurrentIsApi() const;

  // ---- The API page (false, and nothing changed, without an API copy)
  std::vector<std::string> InitCalls() const;
  int CurrentInitCall() const;
  // Makes the call the function's and resets the function to its defaults.
  bool ChooseInitCall(int index);
  std::vector<CFuncChannelRow> ChannelRows() const;
  // The selected channel-assignment block's condition and assignments.
  std::string AssignmentText() const;
  // A number typed or chosen for an assignable channel ("%i"); any other text
  // changes nothing. The channels are rebuilt from the numbers, which may move
  // dependent channels.
  bool SetChannelNumber(int row, const std::string& text);
  std::vector<CFuncParamRow> ParamRows() const;
  // A display text becomes its value's C name (and an argument-taking value's
  // argument); anything else is stored as written. The channels are rebuilt.
  bool SetParamValue(int row, const std::string& text);

  // ---- The non-API page
  // The position of the function's channel in the free list, -1 when not there.
  int ChannelChoice() const;
  bool SetChannelChoice(int index);
  // The description's bound of the count (the count is kept within 0 and
  // this): one more would be written, then refused when the file is read back.
  int ParamCountLimit() const;
  // A typed count within the range; text that is no number counts as 0.
  int ClampParamCount(const std::string& text) const;
  int ParamCount() const;
  // Values of parameters taken away are kept, per entry, and given back in
  // their order to parameters added again; other new ones start with "0".
  bool SetParamCount(int count);
  std::vector<CFuncParamRow> RawParamRows() const;
  bool SetRawParamValue(int row, const std::string& text);
  // The four value groups the page's lists are bound to; null without a
  // non-API copy or for a number outside 1 to 4.
  CKivoVarValueSet* Group(int n) const;

  // ---- Code and checks
  // What a save writes for the working copy, with CR LF line ends.
  std::string GeneratedCode() const;
  // The channel check of OK without a message: the failure text, empty when
  // every channel can be placed.
  std::string ChannelProblem() const;
  // OK's check: false with the message shown when a channel cannot be placed.
  bool CheckForAccept() const;
  // The selected entry's copy, handed over; the model keeps the others.
  std::unique_ptr<CProjDoc::CFuncInfo> TakeAccepted();

 private:
  CProjDoc::CFuncInfo_Api* Api() const;
  CProjDoc::CFuncInfo_NonApi* NonApi() const;
  void FindFreeChannels(int defaultChannel);
  void CollectEntries();
  // The parameters of the call that are not channels, in the call's order:
  // the parameter table's rows.
  std::vector<const CKivoParam*> ValueParams() const;
  std::vector<std::string> ChannelChoices(const CKivoParam& param) const;
  bool RebuildChannels();

  CProjDoc& m_doc;
  EKind m_kind;
  int m_engine;
  const CProjDoc::CFuncInfo* m_edited;
  std::vector<int> m_free;
  int m_start = 0;
  std::vector<const CKivoFunc*> m_entries;
  std::vector<std::unique_ptr<CProjDoc::CFuncInfo>> m_copies;  // by entry, null until selected
  std::map<int, std::vector<std::string>> m_surplus;          // by entry
  int m_selected = -1;
};
