// Reads a project back from its generated C source and header.
#include "project/projdoc.h"
#include "project/readcontext.h"

bool CProjDoc::ReadProjectFiles(const std::string&, const std::string&) { return false; }
bool CProjDoc::ParseChannelArg(CProjReadContext&, const std::string&, int&, int&) const {
  return false;
}
bool CProjDoc::CFuncInfo_Api::ParseInitCall(CProjReadContext&, const std::string&,
                                            const std::string&) {
  return false;
}
bool CProjDoc::CFuncInfo_NonApi::ParseInitCall(CProjReadContext&, const std::string&,
                                               const std::string&) {
  return false;
}
