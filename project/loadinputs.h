// The Load command of the channels page and the inputs its dialog asks for: which rows, which values, what the check says.
#pragma once

#include <string>
#include <vector>

#include "project/projdoc.h"

class CKivoLoadVar;

// One input of a function's load expression.
struct CLoadInput {
  std::string name;
  // A declared input's unit; for a parameter naming an external variable,
  // the parameter's C type.
  std::string unit;
  // What the input's description says of it; empty for a declared input.
  std::string description;
  // The values a declared input allows by name when it allows nothing else;
  // empty for an input that is typed.
  std::vector<std::string> choices;
  // The declaration ("var") of a declared input; null for an external variable.
  const CKivoLoadVar* declared = nullptr;
};

// The inputs the function's present load expression reads, in the order it
// meets them: its declared inputs, then the external variables its
// parameters name. Empty when the function has no load expression.
std::vector<CLoadInput> LoadInputsOf(const CProjDoc::CFuncInfo_Api& func);

// The Load command up to its dialog. Without a load expression for the
// function's present channel configuration it shows 4048 (the header names
// none at all) or 4049; for an expression without inputs it evaluates the
// load with its messages (4042 on an error) and shows 4050. True, with the
// inputs, when the dialog is to ask for them.
bool PrepareLoadCommand(const CProjDoc::CFuncInfo_Api& func, std::vector<CLoadInput>& outInputs);

// The first input whose value (values[i] for inputs[i]) the project cannot
// keep (4053: the generated comment that holds the inputs would not read
// back, or would end early) or that evaluates to a number its declaration
// does not allow (4051, 4052); with `report` the refusal is shown. A range is
// not checked for a value that is empty or does not evaluate. -1 when every
// value passes.
int FirstRefusedLoadInput(const std::vector<CLoadInput>& inputs, const std::vector<std::string>& values,
                          bool report);

// `base` with the inputs' values (values[i] for inputs[i], blanks trimmed):
// a value replaces the entry of its name, an empty one removes it; entries of
// other names stay.
CProjDoc::CLoadVarVals LoadInputsWith(const CProjDoc::CLoadVarVals& base, const std::vector<CLoadInput>& inputs,
                                      const std::vector<std::string>& values);
