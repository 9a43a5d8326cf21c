// What one load computation collects: its mode, the input values, messages and the inputs still needed.
#pragma once

#include <map>
#include <string>
#include <vector>

class CKivoLoadExpr;

class CLoadEvalContext {
 public:
  enum EMode { kEvaluate, kCollect };

  explicit CLoadEvalContext(EMode evalMode = kEvaluate,
                            const std::map<std::string, std::string>* inputValues = nullptr)
      : mode(evalMode), inputs(inputValues) {}

  bool HasInputs() const { return !needed.empty() || !declaredMet.empty(); }
  void AddMessage(const std::string& text);
  void AddNeeded(const std::string& name);
  void AddDeclaredMet(const std::string& name);
  bool IsNeeded(const std::string& name) const;
  bool OnStack(const CKivoLoadExpr* expr) const;
  // The input text of `name`; null when the map has none.
  const std::string* InputOf(const std::string& name) const;

  EMode mode;
  const std::map<std::string, std::string>* inputs;
  std::string messages;
  std::vector<std::string> needed;
  std::map<std::string, std::string> externals;  // external variable -> description
  std::vector<std::string> declaredMet;
  std::vector<const CKivoLoadExpr*> stack;  // most recent first

  // Keeps an expression on the stack for the lifetime of the object.
  class CStackEntry {
   public:
    CStackEntry(CLoadEvalContext& ctx, const CKivoLoadExpr* expr);
    ~CStackEntry();
    CStackEntry(const CStackEntry&) = delete;
    CStackEntry& operator=(const CStackEntry&) = delete;

   private:
    CLoadEvalContext& m_ctx;
  };
};
