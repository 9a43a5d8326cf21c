// The project document: lifecycle, paths, function list, configuration record and channel checks.
#include "project/projdoc.h"

#include "project/notesmodel.h"

CProjDoc::CProjDoc(const CKnowledgeBase& kb, const CCommandLineOptions* options, CNotesModel* notes)
    : m_kb(&kb), m_options(options), m_notes(notes) {}

CProjDoc::~CProjDoc() = default;

bool CProjDoc::OnNewDocument() { return false; }
void CProjDoc::DeleteContents() {}
bool CProjDoc::OnOpenDocument(const std::string&) { return false; }
bool CProjDoc::OnSaveDocument(const std::string&) { return false; }
void CProjDoc::DerivePaths(const std::string&, std::string&, std::string&) {}
void CProjDoc::ApplyCommandLine() {}
void CProjDoc::AddFunction(std::unique_ptr<CFuncInfo>) {}
std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::RemoveFunction(const CFuncInfo*, bool) { return nullptr; }
std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::ReplaceFunction(const CFuncInfo*,
                                                               std::unique_ptr<CFuncInfo>, bool) {
  return nullptr;
}
CProjDoc::CFuncInfo* CProjDoc::FindChannelUser(int, int, CChannInfo**) const { return nullptr; }
int CProjDoc::GetInstanceIndex(const CFuncInfo*, int& outCount) const {
  outCount = 0;
  return -1;
}
void CProjDoc::NotifyChanged(int) {}
void CProjDoc::UpdateViews(int) {}
bool CProjDoc::CheckCpuChange(const CKivoCpu&, bool, std::string*) { return false; }
void CProjDoc::PushCombinations() {}
void CProjDoc::PullCombinations() {}
std::string CProjDoc::CfgMemberText(int) const { return "0"; }
bool CProjDoc::CheckChannels(const CFuncInfo&, const CFuncInfo*) const { return false; }
void CProjDoc::BuildCombinations() {}
void CProjDoc::ResetCfgMembers() {}

CProjDoc::CFuncInfo::~CFuncInfo() = default;
CProjDoc::CFuncInfo::CFuncInfo(const CFuncInfo&) : CNotesOwner() {}
void CProjDoc::CFuncInfo::CopyChannelsFrom(const CFuncInfo&) {}
void CProjDoc::CFuncInfo::GetChannelName(std::string&, const CChannInfo*, bool) const {}
CProjDoc::CChannInfo* CProjDoc::CFuncInfo::FindChannelByName(const std::string&) const {
  return nullptr;
}
void CProjDoc::CFuncInfo::GetApiIncludes(std::vector<std::string>&,
                                         std::vector<std::string>&) const {}
bool CProjDoc::CFuncInfo::ShowInChannels(long) { return false; }
std::string CProjDoc::CFuncInfo::InstanceName() const { return {}; }
std::string CProjDoc::CFuncInfo::ChannelDefineName(const CChannInfo&, bool) const { return {}; }
int CProjDoc::CFuncInfo::LowestChannel() const { return -1; }

std::string CProjDoc::CLoadVarVals::ToText() const { return {}; }
void CProjDoc::CLoadVarVals::FromText(const std::string&) {}

CProjDoc::CFuncInfo_Api::~CFuncInfo_Api() = default;
CProjDoc::CFuncInfo_Api::CFuncInfo_Api(const CFuncInfo_Api& other) : CFuncInfo(other) {}
std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::CFuncInfo_Api::Clone() const { return nullptr; }
CProjDoc::CParamInfo* CProjDoc::CFuncInfo_Api::FindParam(const std::string&) const {
  return nullptr;
}

CProjDoc::CFuncInfo_NonApi::~CFuncInfo_NonApi() = default;
CProjDoc::CFuncInfo_NonApi::CFuncInfo_NonApi(const CFuncInfo_NonApi& other) : CFuncInfo(other) {}
std::unique_ptr<CProjDoc::CFuncInfo> CProjDoc::CFuncInfo_NonApi::Clone() const { return nullptr; }
CProjDoc::CParamInfo* CProjDoc::CFuncInfo_NonApi::FindParam(const std::string&) const {
  return nullptr;
}
void CProjDoc::CFuncInfo_NonApi::InitDefaults(int) {}
