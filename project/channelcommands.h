// The rules of the channels page's commands: what a selection stands for and enables, what the Add and Remove commands ask, and the in-place flag edits.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "project/channeltable.h"

// The distinct functions of the selected rows, in row order: a function on
// several channels counts once. Rows outside the table are passed over.
std::vector<const CProjDoc::CFuncInfo*> SelectedFunctions(const CChannelTable& table,
                                                          const std::vector<int>& rows);

// For each row of the table: whether it belongs to one of `functions`.
std::vector<bool> RowsOfFunctions(const CChannelTable& table,
                                  const std::vector<const CProjDoc::CFuncInfo*>& functions);

// What the selection enables besides the two Add commands, which are always on.
struct CChannelCommandStates {
  bool edit = false;    // exactly one function
  bool remove = false;  // at least one
  bool load = false;    // exactly one, and it has a C API
  bool operator==(const CChannelCommandStates&) const = default;
};
CChannelCommandStates ChannelCommandStates(const std::vector<const CProjDoc::CFuncInfo*>& selected);

// Before the function dialog opens for an Add command: an empty function set
// is refused with 4029, and for applications a set that none fits with 4030.
bool CheckAddCommand(const CProjDoc& doc, bool application);

// The channel an Add command offers the dialog to start from: the focused
// row when it is free, else the next free row below it; -1 (the dialog's
// first free channel) without a focused row or a free row below it. A user
// who focuses a taken row asks for a place near it, not for a conflict.
int AddStartChannel(const CChannelTable& table, int focusedRow);

// The Remove question: 4500 for one function, 4501 with the count for more.
// True on Yes.
bool ConfirmRemoveFunctions(std::size_t count);

// One cell of the table's flag columns changed in `masks`. False, and the
// masks as they were, for a channel outside 0 to 31 or an unknown choice.
enum class EChannelFlag { kCie, kCdtre };
bool SetChannelFlag(CProjDoc::CChannelMasks& masks, EChannelFlag flag, int channel, bool on);
bool SetOdisChoice(CProjDoc::CChannelMasks& masks, int channel, const std::string& choice);

// Whether the project's notes hold an entry of `func`: the page then points
// at the notes after adding or changing it.
bool HasNotes(const CProjDoc& doc, const CProjDoc::CFuncInfo* func);
