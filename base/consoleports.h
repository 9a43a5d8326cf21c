// Ports for a program without a window: messages on a stream, questions answered by a flag.
#pragma once

#include <iosfwd>
#include <string>

#include "base/recordingports.h"

// Prints each message as "PROGRAM: KIND ID: TEXT" (a question followed by
// " -> yes" or " -> no") and records it for a JSON report.
class CConsoleMessagePort : public CRecordingMessagePort {
 public:
  CConsoleMessagePort(std::string program, std::ostream& out) : m_program(std::move(program)), m_out(out) {}
  EAnswer Show(const CMessage& message) override;

  bool quiet = false;

 private:
  std::string m_program;
  std::ostream& m_out;
};
