// The project document: processor, clocks, engine settings, configured functions and their channels.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/commandline.h"
#include "knowledge/knowledgebase.h"
#include "project/projectport.h"
#include "project/undohistory.h"
#include "support/expreval.h"

class CNotesModel;
class CLoadEvalContext;
struct CProjReadContext;

class CProjDoc : public CExprResolver {
 public:
  class CFuncInfo;
  class CFuncInfo_Api;
  class CFuncInfo_NonApi;
  class CChannInfo;
  class CParamInfo;
  class CLoadVarVals;
  class CEngineValues;
  class CEditGroup;

  static constexpr int kMaxChannel = 31;
  static constexpr int kCfgMembers = 10;
  static constexpr const char* kDefaultCName = "kivo_vam.c";
  static constexpr const char* kDefaultHName = "kivo_vam.h";

  struct CEngine {
    uint32_t tcrclkIn = 0;
    uint32_t tcr1Freq = 0;
    uint32_t tcr2Freq = 0;
    uint32_t cie = 0;
    uint32_t dtre = 0;
    uint32_t odis = 0;
    uint32_t opol = 0;
    bool operator==(const CEngine&) const = default;
  };

  // The channel flags of one engine, bit n for channel n.
  struct CChannelMasks {
    uint32_t cie = 0;
    uint32_t dtre = 0;
    uint32_t odis = 0;
    uint32_t opol = 0;
    bool operator==(const CChannelMasks&) const = default;
  };

  // What the processor page stores: the processor by name and both clocks.
  struct CCpuChoice {
    std::string name;
    uint32_t sysClk = 0;
    uint32_t ptbClk = 0;
  };

  // The knowledge base must outlive the document; options and notes may be null.
  explicit CProjDoc(const CKnowledgeBase& kb, const CCommandLineOptions* options = nullptr,
                    CNotesModel* notes = nullptr);
  ~CProjDoc() override;
  CProjDoc(const CProjDoc&) = delete;
  CProjDoc& operator=(const CProjDoc&) = delete;

  const CKnowledgeBase& Kb() const { return *m_kb; }
  CNotesModel* Notes() const { return m_notes; }
  void SetObserver(CProjectObserver* observer) { m_observer = observer; }

  // Document lifecycle.
  bool OnNewDocument();
  void DeleteContents();
  bool OnOpenDocument(const std::string& path);
  bool OnSaveDocument(const std::string& path);
  // The C and header paths of a folder, a .c, a .h or any other path, both
  // beside the name given, whether or not that name is a symbolic link: a save
  // writes through a link to the file it names, and the link stays.
  static void DerivePaths(const std::string& path, std::string& outC, std::string& outH);
  void ApplyCommandLine();
  bool IsModified() const { return m_bModified; }
  // Set from outside the edit operations: the file holds none of the states
  // the undo history can reach. Cleared: the present state is the file's.
  void SetModifiedFlag(bool modified = true);
  // File New and File Open are refused while the command line fixes the processor or clocks.
  bool CanNewOrOpen() const { return !m_bCmdLineLock; }
  // Takes over the whole project of `source` (the model, its functions and the
  // modified mark) and leaves `source` cleared. An open reads into a document
  // of its own and hands it over only when it succeeded, so a failed open
  // leaves this project exactly as it was. The observer stays; it is told of
  // the modified mark, the lock and the history, not of the hints. Every field
  // of the model is taken: a new one needs its line there.
  void TakeContents(CProjDoc& source);

  // ---- Edit operations: every change a user makes is one of these. Each
  // checks what it is given, applies it, sets the modified mark, records one
  // undo step and tells the observers with its hint. False when it refused
  // (the reason shown through the messages port, nothing changed); a request
  // that changes nothing is no step and true. Where an operation would ask
  // the user, `interactive` false refuses instead of asking and shows nothing.

  // The processor (its database record, the generic one for a name the
  // database lacks) and both clocks. A configuration that does not fit a
  // changed processor (CheckCpuChange) is asked about (4503) and trimmed on
  // Yes. A clock above the processor's limit is refused (4035, 4036), unless
  // the command line fixed both that clock and the processor: nothing could
  // mend it, so it is told and kept. `outRefusal` gets the refusal's message.
  bool SetProcessor(const CCpuChoice& choice, bool interactive = true, int* outRefusal = nullptr);
  bool SelectProcessor(const std::string& name, bool interactive = true) {
    return SetProcessor({name, m_nSysClk, m_nPtbClk}, interactive);
  }
  bool SetClocks(uint32_t sysClk, uint32_t ptbClk) { return SetProcessor({m_strCpu, sysClk, ptbClk}); }
  // SetProcessor with the project's own processor and clocks, checking the
  // configuration against it even though it stays: for a project written by
  // hand, before it is saved without a window.
  bool FitToProcessor(int* outRefusal = nullptr);
  // A project with configured functions asks first (4502); they all go.
  bool SelectFunctionSet(const CKivoFSet* set, bool interactive = true);
  // The function-set page's store: the set, then the module's fields, one step.
  bool SetFunctionSetAndModule(const CKivoFSet* set, const CEngineValues& module, bool interactive = true);
  // One engine's register fields and TCRCLK input (engine -1: the module's
  // fields), as EngineValues gave them and a page edited them.
  CEngineValues EngineValues(int engine) const;
  bool SetEngineValues(const CEngineValues& values);
  // Takes values that differ from the project only where a page cannot show
  // what the project holds (an empty prescaler shown as its lower bound):
  // no edit of the user's, so no modified mark and no undo step.
  void SettleEngineValues(const CEngineValues& values);

  // ---- The function set's presumed settings. Selecting a set sets the
  // values it presumes on the fields the processor has and marks them (the
  // value's highlight), within the selection's own step; a set that presumes
  // nothing clears the marks. A marked value is the set's, not the user's:
  // the engine values a page hands back keep it. A processor change that
  // brings fields into being (engine B, the Kivo2-only fields) sets and
  // marks what the set presumes of them in its own step.
  // Sets every presumed value again, marked, as a step of its own: how a
  // project whose values were edited by hand is mended. False without a set.
  bool ApplyPresumedSettings();
  // Marks the values that agree with the set's presumed settings and clears
  // the other marks, changing no value and recording nothing: a project as
  // it was opened keeps what its files say.
  void MarkAgreeingPresumedSettings();
  // The marked fields as "member:section", in member order.
  std::vector<std::string> MarkedFields() const;
  // Checked like the function dialog checks (the engine, then the channels:
  // 4031, 4020, 4037).
  bool AddConfiguredFunction(std::unique_ptr<CFuncInfo> func);
  bool ReplaceConfiguredFunction(const CFuncInfo* oldFunc, std::unique_ptr<CFuncInfo> newFunc);
  // Functions not in the list are passed over; false when none is in it.
  bool RemoveConfiguredFunctions(const std::vector<const CFuncInfo*>& funcs);
  CChannelMasks ChannelMasks(int engine) const;
  bool SetChannelMasks(int engine, const CChannelMasks& masks);
  bool SetLoadInputs(const CFuncInfo* func, const CLoadVarVals& inputs);
  // Lines may end with "\n" or "\r\n"; the project holds "\r\n".
  bool SetVerbatim(const std::string& text);
  bool SetExternDecls(bool on);

  // A new configured function of `func` (a function of the set or an
  // application) on `engine` from `startChannel`, with its defaults, not yet in
  // the list. The record has a C API when the function has one with an init
  // function to call (`init`, by default its first).
  std::unique_ptr<CFuncInfo> NewFunction(const CKivoFunc& func, int engine, int startChannel,
                                         const CKivoInitFunc* init = nullptr);
  // The record an init call of that name is read into: the coprocessor's own
  // channel init configures a function without a C API.
  std::unique_ptr<CFuncInfo> NewFunctionForInitCall(const std::string& initName);

  // ---- Undo and redo: New and Open start an empty history.
  bool CanUndo() const { return m_history.CanUndo(); }
  bool CanRedo() const { return m_history.CanRedo(); }
  // The name of the step Undo or Redo would take ("Change Processor"); empty when none.
  std::string UndoName() const { return m_history.UndoName(); }
  std::string RedoName() const { return m_history.RedoName(); }
  // False when there is nothing to undo or redo.
  bool Undo();
  bool Redo();
  const CUndoHistory& History() const { return m_history; }

  // ---- The function list itself, for the reader and for what builds a
  // project without the user. False (and the function dropped) for an engine
  // the processor does not have; -1, an engine not yet known, is let in.
  bool AddFunction(std::unique_ptr<CFuncInfo> func);
  // The reader keeps what the file says even on an engine the processor lacks,
  // so that the collision can be reported instead of the functions vanishing.
  void AdoptReadFunction(std::unique_ptr<CFuncInfo> func);
  bool HasEngine(int engine) const;
  // Null when `func` is not in the list; otherwise the removed object.
  std::unique_ptr<CFuncInfo> RemoveFunction(const CFuncInfo* func, bool showMessages = true);
  // Null when `oldFunc` is not in the list (and `newFunc` is dropped); otherwise the replaced object.
  std::unique_ptr<CFuncInfo> ReplaceFunction(const CFuncInfo* oldFunc,
                                             std::unique_ptr<CFuncInfo> newFunc,
                                             bool showMessages = true);
  CFuncInfo* FindChannelUser(int engine, int channel, CChannInfo** outChannel = nullptr) const;
  int GetInstanceIndex(const CFuncInfo* func, int& outCount) const;
  const std::vector<std::unique_ptr<CFuncInfo>>& Functions() const { return m_funcs; }

  // Derives the engine's TCR frequencies from its settings (both when < 0), tells
  // the views and recomputes the loads of the engine's API functions.
  void NotifyChanged(int engine);
  // Stores `tcr1Freq` and `tcr2Freq` as the engine page derives them from the record.
  void DeriveEngineFrequencies(int engine);
  void UpdateViews(int hint);

  // The configuration record.
  // One way the configuration does not fit a processor: 4504 (functions on
  // engines it lacks) or 4505 (a time base on a STAC bus it lacks: `engine`
  // and `tcr` name the field), in the words the question shows.
  struct CCpuCollision {
    int id = 0;
    int engine = -1;
    int tcr = 0;
    std::string text;
  };
  bool CheckCpuChange(const CKivoCpu& newCpu, bool apply, std::string* outText = nullptr,
                      std::vector<CCpuCollision>* outCollisions = nullptr);
  void PushCombinations();
  void PullCombinations();
  // The text written for member `n` (1 to 10): "0" when empty or an engine-B member
  // on a one-engine processor.
  std::string CfgMemberText(int n) const;
  CKivoVarValueSet& CfgMember(int n) { return m_cfgMemb[n - 1]; }
  const CKivoVarValueSet& CfgMember(int n) const { return m_cfgMemb[n - 1]; }
  static bool IsEngineBMember(int n) { return n == 6 || n == 7 || n == 8 || n == 10; }

  // Evaluation.
  bool ResolveVariable(CExprEval& eval, const std::string& name, double& value) override;
  bool ResolveDocVariable(int engine, const std::string& name, double& value) const;
  // Parameter value text -> channel named by it, for every parameter that links a channel.
  using CChannelLinks = std::map<std::string, const CChannInfo*>;
  void CollectChannelLinks(CChannelLinks& outMap) const;
  void UpdateChannelLinks(const CChannelLinks& links, bool show, const CFuncInfo* replaced,
                          const CFuncInfo* replacement);

  // The channel checks of the function dialog's OK: message 4031, 4037 or 4020
  // for the first channel of `edited` that cannot be placed; `original` is the
  // function being edited (null for a new one), whose own channels do not count.
  bool CheckChannels(const CFuncInfo& edited, const CFuncInfo* original) const;
  // The same check without a message: the failure text, empty on success.
  bool CheckChannels(const CFuncInfo& edited, const CFuncInfo* original,
                     std::string& outText) const;

  // Rebuilds every API function's notes entry (removing the entries of the others).
  void BuildAllNotes();

  // Reading (implemented with the reader).
  bool ReadProjectFiles(const std::string& cPath, const std::string& hPath);
  // The same from texts in memory, read as the default file names.
  bool ReadProjectTexts(const std::string& source, const std::string& header);
  bool ParseChannelArg(CProjReadContext& ctx, const std::string& arg, int& inOutEngine,
                       int& outChannel) const;
  // Writing (implemented with the generator).
  bool GenerateProjectFiles(const std::string& cPath, const std::string& hPath);
  // Both files' texts, the source including `headerName`; false when a template does not read.
  bool GenerateProjectTexts(const std::string& headerName, std::string& outSource,
                            std::string& outHeader);
  // The texts a save to `cPath` and `hPath` writes, the header included by the
  // name the save chooses.
  bool GenerateSaveTexts(const std::string& cPath, const std::string& hPath, std::string& outSource,
                         std::string& outHeader);
  // The text of a "%Name%" placeholder; false for an unknown one.
  bool ExpandPlaceholder(const std::string& name, std::string& outText);
  std::string GenerateExternDeclsText() const;

  // The model, public like the record it is.
  std::string m_strCpu;
  CKivoCpu m_cpu;
  const CKivoFSet* m_pFSet = nullptr;
  std::vector<std::unique_ptr<CFuncInfo>> m_funcs;
  uint32_t m_nSysClk = 150000000;
  uint32_t m_nPtbClk = 0;
  CEngine m_engine[2];
  CKivoVarValueSet m_cfgMemb[kCfgMembers];
  std::map<std::string, std::unique_ptr<CKivoVarValue>> m_combinations;
  bool m_bCpuCmdLine = false;
  bool m_bSysClkCmdLine = false;
  bool m_bPtbClkCmdLine = false;
  bool m_bCmdLineLock = false;
  bool m_bExternDecls = true;
  std::string m_strVerbatim;  // lines end with "\r\n"
  // The function-set header the source includes, as written; kept when no set
  // of the library matches it, so that a caller can tell the user and a save
  // includes it again.
  std::string m_strFSetInclude;

  // What the reader found in the files but could not interpret: init calls it
  // could not read (or whose function set is missing) and what they need
  // around them. A save writes it back as it was read, so that nothing the
  // user wrote is lost for having been misread.
  struct CKeptCall {
    std::string text;                // the call's statements, indented relative to its first line
    std::size_t anchor = 0;          // the number of functions before it in the list
    const CKivoFunc* function = nullptr;  // its function when the call named a known one
    const CKivoInitFunc* initFunc = nullptr;
  };
  struct CKeptLine {
    std::string text;
    std::size_t anchor = 0;  // the number of the functions' own lines or blocks before it
  };
  struct CKeptCode {
    std::vector<CKeptCall> calls;
    std::vector<std::string> includes;     // include lines of the source (a set that is missing only)
    std::vector<CKeptLine> channelDefines;   // header defines no read function writes
    std::vector<CKeptLine> loadInputs;       // load-input comments no read function takes
    bool Empty() const { return calls.empty(); }
    void Clear() { *this = CKeptCode(); }
  };
  CKeptCode m_kept;

 private:
  class CEditStep;
  struct CGroupState;

  void BuildCombinations();
  void ResetCfgMembers();
  // The list changes without the modified mark, for the operations.
  std::unique_ptr<CFuncInfo> DetachFunction(const CFuncInfo* func, bool showMessages);
  // Takes one function out of the list with its notes; calls kept as written
  // after it keep their place among the functions that stay.
  std::unique_ptr<CFuncInfo> TakeOutFunction(std::vector<std::unique_ptr<CFuncInfo>>::iterator found);
  std::unique_ptr<CFuncInfo> SwapFunction(const CFuncInfo* oldFunc, std::unique_ptr<CFuncInfo> newFunc,
                                          bool showMessages);
  bool ChangeProcessor(const CCpuChoice& choice, bool recheck, bool interactive, int* outRefusal);
  void ApplyEngineValues(const CEngineValues& values);
  // Sets and marks what the set presumes of the fields with these keys (of
  // every field it names when null), clearing the marks of the others when
  // `clearOthers`; true when a value or mark changed. For the step in progress.
  bool PutPresumedSettings(const std::vector<std::string>* only, bool clearOthers);
  void SetMarks(const std::vector<std::string>& keys);
  // A combined setting is marked when one of its parts is.
  void SyncCombinedMarks();
  // The project's own values in place of the marked ones.
  void KeepMarkedValues(CEngineValues& values) const;
  // The generated pair of the present state; false when a template does not read.
  bool TakeImage(CProjectImage& outImage);
  void RestoreImage(const CProjectImage& image);
  void ClearHistory();
  // Records the step, sets the mark and tells the observers with the hints.
  void FinishStep(std::string name, bool imaged, CProjectImage before, std::vector<int> hints);
  // Derives what a change of the hint's kind touches: TCR frequencies, loads.
  void Recompute(int hint);
  void SetModifiedMark(bool modified);
  void AnnounceHistory();
  // The number of the message for the first channel that cannot be placed, or 0.
  int FindChannelProblem(const CFuncInfo& edited, const CFuncInfo* original,
                         std::string& outText) const;

  const CKnowledgeBase* m_kb;
  const CCommandLineOptions* m_options;
  CNotesModel* m_notes;
  CProjectObserver* m_observer = nullptr;
  bool m_bModified = false;
  bool m_lockAnnounced = false;
  // Hints sent while the observers were being told, delivered after them.
  bool m_updating = false;
  std::vector<int> m_pendingHints;
  CUndoHistory m_history;
  CGroupState* m_group = nullptr;
};

// One engine's register fields, combined settings and TCRCLK input, or the
// module's fields (engine -1), copied out of a project: a page edits the copy
// and hands it back in one piece.
class CProjDoc::CEngineValues {
 public:
  int Engine() const { return m_engine; }
  // A combined setting by either engine's name ("combination0" or
  // "combination1"), else the field of a member; null when none holds it.
  CKivoVarValue* Field(const std::string& section);
  const CKivoVarValue* Field(const std::string& section) const;
  // The member that holds the field; null when none does.
  CKivoVarValueSet* MemberWith(const std::string& section);
  // The same texts (value names, arguments and the TCRCLK input).
  bool operator==(const CEngineValues& other) const;

  uint32_t tcrclkIn = 0;

 private:
  friend class CProjDoc;
  int m_engine = -1;
  std::vector<std::pair<int, CKivoVarValueSet>> m_members;  // member number, copy
  std::map<std::string, CKivoVarValue> m_combined;          // by key, without member links
};

// Gathers the operations made while it lives into one undo step: named after
// the one operation when only one changed something, else `nameId`'s text.
// The observers are told once, at its end.
class CProjDoc::CEditGroup {
 public:
  CEditGroup(CProjDoc& doc, int nameId);
  ~CEditGroup();
  CEditGroup(const CEditGroup&) = delete;
  CEditGroup& operator=(const CEditGroup&) = delete;

 private:
  CProjDoc& m_doc;
  std::unique_ptr<CGroupState> m_state;
  CGroupState* m_outer;
};

// One configured function.
class CProjDoc::CFuncInfo : public CNotesOwner {
 public:
  CFuncInfo() = default;
  ~CFuncInfo() override;

  virtual std::unique_ptr<CFuncInfo> Clone() const = 0;
  virtual bool IsApi() const { return false; }

  // Builds the function from one init call: its name and the text between its parentheses.
  virtual bool ParseInitCall(CProjReadContext& ctx, const std::string& funcName,
                             const std::string& argText) = 0;
  virtual CParamInfo* FindParam(const std::string& name) const = 0;
  virtual void InitDefaults(int startChannel) = 0;
  // Without a channel the instance name; with one the channel define name
  // ("x" for the index of a function not yet in the list when `force`).
  virtual void GetChannelName(std::string& outText, const CChannInfo* channel = nullptr,
                              bool force = false) const;
  virtual CChannInfo* FindChannelByName(const std::string& name) const;
  virtual void GenerateInitCode(std::string& outText) const = 0;
  // Returns the number of declarations added.
  virtual int GenerateExternDecls(std::string& outText) const = 0;
  virtual void GetApiIncludes(std::vector<std::string>& outFiles,
                              std::vector<std::string>& outDescriptions) const;

  // Notes: false and nothing done unless the function has notes to show.
  virtual bool BuildNotes() { return false; }
  bool ShowInChannels(long key) override;

  std::string InstanceName() const;
  std::string ChannelDefineName(const CChannInfo& channel, bool force = false) const;
  int LowestChannel() const;

  CProjDoc* doc = nullptr;
  const CKivoFunc* function = nullptr;
  int engine = -1;
  std::vector<std::unique_ptr<CChannInfo>> channels;
  std::string assignLabel;

 protected:
  CFuncInfo(const CFuncInfo& other);
  CFuncInfo& operator=(const CFuncInfo&) = delete;
  void CopyChannelsFrom(const CFuncInfo& other);
};

class CProjDoc::CChannInfo {
 public:
  CFuncInfo* owner = nullptr;
  std::string name;
  int number = 0;
  const CKivoParam* param = nullptr;
  std::string priority;
  double load = -1.0;
};

class CProjDoc::CParamInfo {
 public:
  CParamInfo() = default;
  explicit CParamInfo(const CKivoVarDef* def) : value(def) {}
  CKivoVarValue value;
};

// The user's values of a load expression's inputs.
class CProjDoc::CLoadVarVals {
 public:
  // "  name=value;\n" per entry, in map order.
  std::string ToText() const;
  // Entries read from `text`; other entries are kept.
  void FromText(const std::string& text);
  bool operator==(const CLoadVarVals&) const = default;
  std::map<std::string, std::string> values;
};

class CProjDoc::CFuncInfo_Api : public CProjDoc::CFuncInfo, public CExprResolver {
 public:
  CFuncInfo_Api() = default;
  ~CFuncInfo_Api() override;
  std::unique_ptr<CFuncInfo> Clone() const override;
  bool IsApi() const override { return true; }

  bool ParseInitCall(CProjReadContext& ctx, const std::string& funcName,
                     const std::string& argText) override;
  CParamInfo* FindParam(const std::string& name) const override;
  void InitDefaults(int startChannel) override;
  void GenerateInitCode(std::string& outText) const override;
  int GenerateExternDecls(std::string& outText) const override;
  void GetApiIncludes(std::vector<std::string>& outFiles,
                      std::vector<std::string>& outDescriptions) const override;
  bool BuildNotes() override;
  virtual bool ExpandNotesTag(const std::string& tag, std::string& outText) const;

  using CChannelMap = std::map<const CKivoParam*, int>;
  // False only after an error in the assignment expression (message 4028).
  bool BuildChannels(const CChannelMap& channelMap);
  bool BlockApplies(const CKivoChanAssign& block) const;
  // Why a load could not be computed: the evaluator's error and the text of message 4042.
  struct CLoadFailure {
    int error = 0;
    std::string text;
  };
  // Loads of the channels; `ctx` may be null for a fresh evaluating context.
  bool ComputeLoad(bool show, CLoadEvalContext* ctx = nullptr, CLoadFailure* outFailure = nullptr);
  bool ResolveVariable(CExprEval& eval, const std::string& name, double& value) override;
  bool ResolveFuncVariable(CExprEval& eval, const std::string& name, double& value);
  CParamInfo* ParamOf(const CKivoParam* param) const;

  const CKivoInitFunc* initFunc = nullptr;
  const CKivoChanAssign* assign = nullptr;
  std::map<const CKivoParam*, std::unique_ptr<CParamInfo>> params;
  CLoadVarVals loadInputs;
  bool hasLoadInputs = false;

 private:
  CFuncInfo_Api(const CFuncInfo_Api& other);
};

class CProjDoc::CFuncInfo_NonApi : public CProjDoc::CFuncInfo {
 public:
  static constexpr int kGroups = 4;

  CFuncInfo_NonApi() = default;
  ~CFuncInfo_NonApi() override;
  std::unique_ptr<CFuncInfo> Clone() const override;

  bool ParseInitCall(CProjReadContext& ctx, const std::string& funcName,
                     const std::string& argText) override;
  CParamInfo* FindParam(const std::string& name) const override;
  void InitDefaults(int startChannel) override;
  void GenerateInitCode(std::string& outText) const override;
  int GenerateExternDecls(std::string& outText) const override;

  // Group n (1 to 4) from the section "FNAPI.GRP<n>".
  CKivoVarValueSet& Group(int n) { return groups[n - 1]; }
  const CKivoVarValueSet& Group(int n) const { return groups[n - 1]; }

  CKivoVarValueSet groups[kGroups];
  std::vector<std::unique_ptr<CParamInfo>> rawParams;  // index i at byte offset 4*i

 private:
  CFuncInfo_NonApi(const CFuncInfo_NonApi& other);
};
