// What one load computation collects: messages, needed inputs and the stack of expressions in evaluation.
#include "project/loadcontext.h"

#include <algorithm>

// The second, collecting run after a failure meets the same problems again; each is told once.
void CLoadEvalContext::AddMessage(const std::string& text) {
  if (("\n" + messages + "\n").find("\n" + text + "\n") != std::string::npos)
    return;
  if (!messages.empty())
    messages += "\n";
  messages += text;
}

void CLoadEvalContext::AddNeeded(const std::string& name) {
  if (!IsNeeded(name))
    needed.push_back(name);
}

bool CLoadEvalContext::IsNeeded(const std::string& name) const {
  return std::find(needed.begin(), needed.end(), name) != needed.end();
}

void CLoadEvalContext::AddDeclaredMet(const std::string& name) {
  if (std::find(declaredMet.begin(), declaredMet.end(), name) == declaredMet.end())
    declaredMet.push_back(name);
}

bool CLoadEvalContext::OnStack(const CKivoLoadExpr* expr) const {
  return std::find(stack.begin(), stack.end(), expr) != stack.end();
}

const std::string* CLoadEvalContext::InputOf(const std::string& name) const {
  if (!inputs)
    return nullptr;
  auto it = inputs->find(name);
  return it == inputs->end() ? nullptr : &it->second;
}

CLoadEvalContext::CStackEntry::CStackEntry(CLoadEvalContext& ctx, const CKivoLoadExpr* expr)
    : m_ctx(ctx) {
  m_ctx.stack.insert(m_ctx.stack.begin(), expr);
}

CLoadEvalContext::CStackEntry::~CStackEntry() { m_ctx.stack.erase(m_ctx.stack.begin()); }
