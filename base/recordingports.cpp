// Recording implementations of the ports.
#include "base/recordingports.h"

#include <algorithm>

EAnswer CRecordingMessagePort::Show(const CMessage& message) {
  m_messages.push_back(message);
  if (message.kind != EMessageKind::Question)
    return EAnswer::No;
  if (m_answers.empty())
    return defaultAnswer;
  EAnswer answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

std::vector<int> CRecordingMessagePort::Ids() const {
  std::vector<int> ids;
  for (const CMessage& m : m_messages)
    ids.push_back(m.id);
  return ids;
}

bool CRecordingMessagePort::Has(int id) const {
  return std::any_of(m_messages.begin(), m_messages.end(), [id](const CMessage& m) { return m.id == id; });
}

void CRecordingProgressPort::SetText(const std::string& text) {
  if (text == m_text)
    return;
  m_text = text;
  texts.push_back(text);
}

void CRecordingProgressPort::SetProgress(int position, int range) {
  if (range >= 0)
    m_range = range;
  steps.push_back(CStep{m_text, position, m_range});
}

std::string CMemorySettingsPort::NormalizeKeyPath(const std::string& keyPath) {
  std::string out;
  for (char c : keyPath) {
    char d = (c == '\n' || c == '\\') ? '/' : c;
    if (d == '/' && (out.empty() || out.back() == '/'))
      continue;
    out += d;
  }
  while (!out.empty() && out.back() == '/')
    out.pop_back();
  return out;
}

std::optional<std::string> CMemorySettingsPort::Read(const std::string& keyPath, const std::string& name) {
  auto it = values.find(NormalizeKeyPath(keyPath) + "/" + name);
  if (it == values.end())
    return std::nullopt;
  return it->second;
}

bool CMemorySettingsPort::Write(const std::string& keyPath, const std::string& name, const std::string& value) {
  if (failWrites)
    return false;
  values[NormalizeKeyPath(keyPath) + "/" + name] = value;
  return true;
}
