// The register reference: the engine-configuration description written out as
// a document, so the reference the Help menu opens always matches the data the
// program reads.
#pragma once

#include <string>

class CKivoCfgDesc;

// Markdown: the members of the configuration structure with their fields, the
// settings the engine pages offer as one choice over several fields, the
// other groups (the arguments of functions without a C API), then every field
// in the file's order with its comment, the parameter it feeds, whether other
// values may be typed, and a table of its values: the C text the generated code
// uses, the number of its key, the name the pages show, its meaning, the bounds
// of its argument and the Kivo2-only marks. `sourceName` names the file in the
// introduction.
std::string WriteRegisterReference(const CKivoCfgDesc& desc, const std::string& sourceName);
