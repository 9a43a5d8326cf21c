// Pieces of the generated C text: external declarations and the way a configured value is written.
#pragma once

#include <string>

class CKivoVarValue;

// The "extern TYPE NAME;\n" line that declares the object a parameter value
// refers to (`&pwm_config` with the type `pwm_config_t *` declares
// `pwm_config`), or empty when the value names no object: a number, an
// upper-case macro, or an address taken for a type that is no pointer.
std::string MakeExternDeclaration(const std::string& valueText, const std::string& typeText);

// Appends `declaration` unless `text` already declares the same name, so that
// two parameters naming one object never declare it twice, even with two
// types. True when it was appended.
bool AppendDeclaration(std::string& text, const std::string& declaration);

// True when the value text is the C name of one of its definition's values.
bool IsDefinedValue(const CKivoVarValue& value);
// The C text of a parameter value: "NAME(ARG)" for a defined value that takes
// an argument, else the value text as the user or the file gave it.
std::string ParamValueText(const CKivoVarValue& value);

// Text for the inside of a generated comment: a value that holds "*/" (a
// typing slip in a hand-edited file) must not end the comment and spill the
// rest of itself into the code.
std::string CommentSafe(std::string text);
