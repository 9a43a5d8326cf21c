// The project document: taking over the project of another document.
#include <utility>

#include "project/notesmodel.h"
#include "project/projdoc.h"

void CProjDoc::TakeContents(CProjDoc& source) {
  if (&source == this)
    return;
  // The notes entries belong to functions: ours go, the source's are built
  // again in our notes once the functions are ours.
  if (m_notes)
    for (const auto& func : m_funcs)
      m_notes->RemoveNotes(func.get());
  if (source.m_notes && source.m_notes != m_notes)
    for (const auto& func : source.m_funcs)
      source.m_notes->RemoveNotes(func.get());

  m_funcs = std::move(source.m_funcs);
  source.m_funcs.clear();
  for (const auto& func : m_funcs)
    func->doc = this;
  m_strCpu = std::move(source.m_strCpu);
  m_cpu = source.m_cpu;
  m_pFSet = source.m_pFSet;
  m_strFSetInclude = std::move(source.m_strFSetInclude);
  m_nSysClk = source.m_nSysClk;
  m_nPtbClk = source.m_nPtbClk;
  m_engine[0] = source.m_engine[0];
  m_engine[1] = source.m_engine[1];
  // The combined values point into the member sets: both change hands together,
  // and the values keep their places, so every pointer stays good.
  for (int n = 0; n < kCfgMembers; ++n)
    std::swap(m_cfgMemb[n], source.m_cfgMemb[n]);
  std::swap(m_combinations, source.m_combinations);
  m_bCpuCmdLine = source.m_bCpuCmdLine;
  m_bSysClkCmdLine = source.m_bSysClkCmdLine;
  m_bPtbClkCmdLine = source.m_bPtbClkCmdLine;
  m_bCmdLineLock = source.m_bCmdLineLock;
  m_bExternDecls = source.m_bExternDecls;
  m_strVerbatim = std::move(source.m_strVerbatim);
  m_kept = std::move(source.m_kept);
  source.m_kept.Clear();
  if (m_notes && source.m_notes != m_notes)
    BuildAllNotes();
  // The steps hold images of the project, not pointers into it, and the
  // history knows which state was saved: the modified mark goes with it.
  m_history = std::move(source.m_history);
  source.m_history.Clear();
  bool modified = source.m_bModified;
  source.DeleteContents();
  source.m_bModified = false;

  if (m_bCmdLineLock != m_lockAnnounced) {
    m_lockAnnounced = m_bCmdLineLock;
    if (m_observer)
      m_observer->OnCommandLineLockChanged(*this);
  }
  SetModifiedMark(modified);
  AnnounceHistory();
}
