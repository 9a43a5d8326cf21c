// The undo history of a project.
#include "project/undohistory.h"

#include <utility>

void CUndoHistory::Clear() {
  m_steps.clear();
  m_position = 0;
  m_saved = 0;
}

void CUndoHistory::Record(CStep step) {
  m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_position), m_steps.end());
  if (m_saved > static_cast<long>(m_position))
    m_saved = -1;
  m_steps.push_back(std::move(step));
  ++m_position;
  while (m_steps.size() > m_limit) {
    m_steps.pop_front();
    --m_position;
    // The saved state went with the oldest step when it was the one before it.
    m_saved = m_saved > 0 ? m_saved - 1 : -1;
  }
}

std::string CUndoHistory::UndoName() const { return CanUndo() ? m_steps[m_position - 1].name : std::string(); }

std::string CUndoHistory::RedoName() const { return CanRedo() ? m_steps[m_position].name : std::string(); }

const CUndoHistory::CStep* CUndoHistory::Undo() {
  if (!CanUndo())
    return nullptr;
  return &m_steps[--m_position];
}

const CUndoHistory::CStep* CUndoHistory::Redo() {
  if (!CanRedo())
    return nullptr;
  return &m_steps[m_position++];
}
