// Parameter values, channel assignment, loads and channel links of a project.
#include "project/loadcontext.h"
#include "project/projdoc.h"

bool CProjDoc::ResolveVariable(CExprEval&, const std::string&, double&) { return false; }
bool CProjDoc::ResolveDocVariable(int, const std::string&, double&) const { return false; }
void CProjDoc::CollectChannelLinks(CChannelLinks&) const {}
void CProjDoc::UpdateChannelLinks(const CChannelLinks&, bool, const CFuncInfo*,
                                  const CFuncInfo*) {}

void CProjDoc::CFuncInfo_Api::InitDefaults(int) {}
bool CProjDoc::CFuncInfo_Api::BuildChannels(const CChannelMap&) { return false; }
bool CProjDoc::CFuncInfo_Api::BlockApplies(const CKivoChanAssign&) const { return false; }
bool CProjDoc::CFuncInfo_Api::ComputeLoad(bool, CLoadEvalContext*) { return false; }
bool CProjDoc::CFuncInfo_Api::ResolveVariable(CExprEval&, const std::string&, double&) {
  return false;
}
bool CProjDoc::CFuncInfo_Api::ResolveFuncVariable(CExprEval&, const std::string&, double&) {
  return false;
}
CProjDoc::CParamInfo* CProjDoc::CFuncInfo_Api::ParamOf(const CKivoParam*) const { return nullptr; }

void CLoadEvalContext::AddMessage(const std::string&) {}
void CLoadEvalContext::AddNeeded(const std::string&) {}
bool CLoadEvalContext::IsNeeded(const std::string&) const { return false; }
bool CLoadEvalContext::OnStack(const CKivoLoadExpr*) const { return false; }
const std::string* CLoadEvalContext::InputOf(const std::string&) const { return nullptr; }
