// The rules of the channels page's commands.
#include "project/channelcommands.h"

#include <algorithm>

#include "base/ports.h"
#include "project/notesmodel.h"

namespace {

constexpr int kMsgNoFunction = 4029;
constexpr int kMsgNoApplication = 4030;
constexpr int kMsgRemoveOne = 4500;
constexpr int kMsgRemoveMany = 4501;

bool Contains(const std::vector<const CProjDoc::CFuncInfo*>& list, const CProjDoc::CFuncInfo* func) {
  return std::find(list.begin(), list.end(), func) != list.end();
}

bool SetHasFunctions(const CKivoFSet* set) {
  return set && set->FirstSlot() != 0;
}

}  // namespace

std::vector<const CProjDoc::CFuncInfo*> SelectedFunctions(const CChannelTable& table,
                                                          const std::vector<int>& rows) {
  std::vector<int> sorted = rows;
  std::sort(sorted.begin(), sorted.end());
  std::vector<const CProjDoc::CFuncInfo*> functions;
  for (int row : sorted) {
    if (row < 0 || row >= static_cast<int>(table.rows.size()))
      continue;
    const CProjDoc::CFuncInfo* func = table.rows[static_cast<std::size_t>(row)].func;
    if (func && !Contains(functions, func))
      functions.push_back(func);
  }
  return functions;
}

std::vector<bool> RowsOfFunctions(const CChannelTable& table,
                                  const std::vector<const CProjDoc::CFuncInfo*>& functions) {
  std::vector<bool> marked;
  marked.reserve(table.rows.size());
  for (const CChannelRow& row : table.rows)
    marked.push_back(row.func && Contains(functions, row.func));
  return marked;
}

CChannelCommandStates ChannelCommandStates(const std::vector<const CProjDoc::CFuncInfo*>& selected) {
  CChannelCommandStates states;
  states.edit = selected.size() == 1;
  states.remove = !selected.empty();
  states.load = states.edit && selected.front()->IsApi();
  return states;
}

bool CheckAddCommand(const CProjDoc& doc, bool application) {
  bool hasFunctions = SetHasFunctions(doc.m_pFSet);
  if (!application) {
    if (!hasFunctions)
      ShowMessage(kMsgNoFunction, EMessageKind::Warning);
    return hasFunctions;
  }
  std::vector<const CKivoFapp*> apps;
  if (hasFunctions && doc.Kb().fappLib.CollectAvailable(apps, doc.m_pFSet) > 0)
    return true;
  ShowMessage(kMsgNoApplication, EMessageKind::Warning);
  return false;
}

bool ConfirmRemoveFunctions(std::size_t count) {
  if (count == 0)
    return false;
  if (count == 1)
    return AskYesNo(kMsgRemoveOne);
  return AskYesNo(kMsgRemoveMany, {std::to_string(count)});
}

bool SetChannelFlag(CProjDoc::CChannelMasks& masks, EChannelFlag flag, int channel, bool on) {
  return SetChannelBit(flag == EChannelFlag::kCie ? masks.cie : masks.dtre, channel, on);
}

bool SetOdisChoice(CProjDoc::CChannelMasks& masks, int channel, const std::string& choice) {
  CProjDoc::CEngine engine;
  engine.odis = masks.odis;
  engine.opol = masks.opol;
  if (!SetOdisChoice(engine, channel, choice))
    return false;
  masks.odis = engine.odis;
  masks.opol = engine.opol;
  return true;
}

bool HasNotes(const CProjDoc& doc, const CProjDoc::CFuncInfo* func) {
  if (!func || !doc.Notes())
    return false;
  const auto& entries = doc.Notes()->Entries();
  return std::any_of(entries.begin(), entries.end(),
                     [func](const CNotesModel::CEntry& entry) { return entry.owner == func; });
}

int AddStartChannel(const CChannelTable& table, int focusedRow) {
  if (focusedRow < 0)
    return -1;
  for (std::size_t row = static_cast<std::size_t>(focusedRow); row < table.rows.size(); ++row)
    if (!table.rows[row].func)
      return static_cast<int>(row);
  return -1;
}
