// Ports that remember what they were given: for tests and for the headless driver's JSON.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "base/ports.h"

class CRecordingMessagePort : public IMessagePort {
 public:
  EAnswer Show(const CMessage& message) override;

  // Answers given to questions, in order; when none is queued, `defaultAnswer`.
  void QueueAnswer(EAnswer answer) { m_answers.push_back(answer); }
  EAnswer defaultAnswer = EAnswer::No;

  const std::vector<CMessage>& Messages() const { return m_messages; }
  std::vector<int> Ids() const;
  bool Has(int id) const;
  void Clear() { m_messages.clear(); }

 private:
  std::vector<CMessage> m_messages;
  std::deque<EAnswer> m_answers;
};

class CRecordingProgressPort : public IProgressPort {
 public:
  struct CStep {
    std::string text;  // the status line at the time of the step
    int position = 0;
    int range = 0;     // the range in force after the step
  };
  void SetText(const std::string& text) override;
  void SetProgress(int position, int range) override;

  std::vector<std::string> texts;  // every distinct change of the status line
  std::vector<CStep> steps;

 private:
  std::string m_text;
  int m_range = 0;
};

class CMemorySettingsPort : public ISettingsPort {
 public:
  std::optional<std::string> Read(const std::string& keyPath, const std::string& name) override;
  bool Write(const std::string& keyPath, const std::string& name, const std::string& value) override;
  static std::string NormalizeKeyPath(const std::string& keyPath);

  std::map<std::string, std::string> values;  // "Key/Path/Name" -> value
  bool failWrites = false;
};
