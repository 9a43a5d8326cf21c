// The code editor's headers. They use Qt's keyword macros, which this program
// turns off because the core names a member "slots"; they are lent to the
// headers alone.
#pragma once

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexercpp.h>
#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots
