// The undo history of a project: named steps, each with the project's image
// before and after it, and which of its states is the one last saved.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// A project as its generated pair holds it, with what the pair cannot say:
// the function-set include of a set the library lacks, and which values are
// marked as the set's presumed settings ("member:section").
struct CProjectImage {
  std::string source;
  std::string header;
  std::string fsetInclude;
  std::vector<std::string> marks;
};

class CUndoHistory {
 public:
  struct CStep {
    std::string name;
    CProjectImage before;
    CProjectImage after;
  };

  // The oldest steps are forgotten beyond this many.
  static constexpr std::size_t kDefaultLimit = 100;
  explicit CUndoHistory(std::size_t limit = kDefaultLimit) : m_limit(limit ? limit : 1) {}

  // No steps; the present state is the saved one.
  void Clear();
  // A new step after the present state: the steps that could be redone go,
  // and with them a saved state that lay among them.
  void Record(CStep step);

  bool CanUndo() const { return m_position > 0; }
  bool CanRedo() const { return m_position < m_steps.size(); }
  // The names of the steps Undo and Redo would take; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  // The step to take back (its `before` is the state to return to), and the
  // present state moves before it; null when there is nothing to undo.
  const CStep* Undo();
  // The step to take again (its `after` is the state to go to); null when none.
  const CStep* Redo();

  // The present state is what the file holds.
  void MarkSaved() { m_saved = static_cast<long>(m_position); }
  // No state of the history is what the file holds (a project restored from a copy).
  void ForgetSaved() { m_saved = -1; }
  bool AtSavedState() const { return m_saved == static_cast<long>(m_position); }

  std::size_t Size() const { return m_steps.size(); }
  // How many steps lie before the present state.
  std::size_t Position() const { return m_position; }

 private:
  std::deque<CStep> m_steps;
  std::size_t m_position = 0;
  long m_saved = 0;  // the position whose state was saved; -1 when none is
  std::size_t m_limit;
};
