// The dialog that adds a coprocessor function or application to an engine's
// channels, or edits one already configured.
#pragma once

#include <memory>

#include "project/projdoc.h"

class QWidget;

struct CFuncDialogRequest {
  enum EKind { kAddFunction, kAddApplication, kEdit };
  EKind kind = kAddFunction;
  int engine = 0;
  // The configured function being edited (kEdit only); the dialog works on a
  // copy and never changes it.
  const CProjDoc::CFuncInfo* edited = nullptr;
  // The channel new channel assignments start from, -1 for the first free one.
  int defaultChannel = -1;
};

// Shows the dialog modally over `parent`. The accepted working copy, not yet
// in the project, or null when the user cancelled. The caller has already
// refused an empty function set (there is then nothing to choose from).
std::unique_ptr<CProjDoc::CFuncInfo> RunFunctionDialog(QWidget* parent, CProjDoc& doc,
                                                       const CFuncDialogRequest& request);
