// The ports through which the core talks to whoever runs it: messages, progress, settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/messagecatalog.h"

enum class EMessageKind { Warning, Error, Information, Question };
enum class EAnswer { No, Yes };

const char* MessageKindName(EMessageKind kind);  // "warning", "error", ...

struct CMessage {
  int id = 0;  // 0 for a text without a number, such as a file-system error
  EMessageKind kind = EMessageKind::Warning;
  std::string text;
};

// Shows one message. For a question the return value is the user's answer; for
// every other kind it is ignored.
class IMessagePort {
 public:
  virtual ~IMessagePort() = default;
  virtual EAnswer Show(const CMessage& message) = 0;
};

// Start-up progress: a status line and a bar.
class IProgressPort {
 public:
  virtual ~IProgressPort() = default;
  virtual void SetText(const std::string& text) = 0;
  // A negative range keeps the range given last.
  virtual void SetProgress(int position, int range) = 0;
};

// Text values under a key path whose components are separated by newlines,
// backslashes or slashes (the per-user settings store).
class ISettingsPort {
 public:
  virtual ~ISettingsPort() = default;
  virtual std::optional<std::string> Read(const std::string& keyPath, const std::string& name) = 0;
  virtual bool Write(const std::string& keyPath, const std::string& name, const std::string& value) = 0;
};

struct CPorts {
  IMessagePort* messages = nullptr;
  IProgressPort* progress = nullptr;
  ISettingsPort* settings = nullptr;
};

// The ports in force for this process; each one falls back to a silent
// implementation (questions answered No) until a program installs its own.
CPorts& CurrentPorts();

// Installs ports for the lifetime of the object and restores the previous ones.
class CScopedPorts {
 public:
  explicit CScopedPorts(const CPorts& ports);
  ~CScopedPorts();
  CScopedPorts(const CScopedPorts&) = delete;
  CScopedPorts& operator=(const CScopedPorts&) = delete;

 private:
  CPorts m_previous;
};

// Shows catalog message `id` with message-style insertion of `args`.
EAnswer ShowMessage(int id, EMessageKind kind, const std::vector<std::string>& args = {});
// Shows catalog message `id` with printf-style formatting of `args`.
EAnswer ShowMessageF(int id, EMessageKind kind, const std::vector<CPrintfArg>& args);
// Shows a text that is already complete (id 0 for texts without a number).
EAnswer ShowText(int id, EMessageKind kind, const std::string& text);
// Asks catalog question `id` (message-style arguments); true for Yes.
bool AskYesNo(int id, const std::vector<std::string>& args = {});
// Reports a file-system failure naming the file (the platform's standard message).
void ShowFileError(const std::string& path, const std::string& reason);

void ReportProgressText(const std::string& text);
void ReportProgress(int position, int range);
