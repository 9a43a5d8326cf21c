// Console message port.
#include "base/consoleports.h"

#include <ostream>

EAnswer CConsoleMessagePort::Show(const CMessage& message) {
  EAnswer answer = CRecordingMessagePort::Show(message);
  if (!quiet) {
    m_out << m_program << ": " << MessageKindName(message.kind) << ' ' << message.id << ": " << message.text;
    if (message.kind == EMessageKind::Question)
      m_out << (answer == EAnswer::Yes ? " -> yes" : " -> no");
    m_out << '\n';
    m_out.flush();
  }
  return answer;
}
