// Writes a project as the generated C source and header from the templates.
#include "project/projdoc.h"

bool CProjDoc::GenerateProjectFiles(const std::string&, const std::string&) { return false; }
bool CProjDoc::ExpandPlaceholder(const std::string&, std::string&) { return false; }
std::string CProjDoc::GenerateExternDeclsText() const { return {}; }

void CProjDoc::CFuncInfo_Api::GenerateInitCode(std::string&) const {}
int CProjDoc::CFuncInfo_Api::GenerateExternDecls(std::string&) const { return 0; }
void CProjDoc::CFuncInfo_Api::GetApiIncludes(std::vector<std::string>&,
                                             std::vector<std::string>&) const {}
void CProjDoc::CFuncInfo_NonApi::GenerateInitCode(std::string&) const {}
int CProjDoc::CFuncInfo_NonApi::GenerateExternDecls(std::string&) const { return 0; }
