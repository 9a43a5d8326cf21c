// Builds the notes entries of a project's functions from their API descriptions.
#include "project/notesmodel.h"
#include "project/projdoc.h"

void CProjDoc::BuildAllNotes() {}
bool CProjDoc::CFuncInfo_Api::BuildNotes() { return false; }
bool CProjDoc::CFuncInfo_Api::ExpandNotesTag(const std::string&, std::string&) const {
  return false;
}
