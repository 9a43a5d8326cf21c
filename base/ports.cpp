// Process-wide port selection and the message helpers built on it.
#include "base/ports.h"

namespace {

class CSilentMessages final : public IMessagePort {
 public:
  EAnswer Show(const CMessage&) override { return EAnswer::No; }
};

class CSilentProgress final : public IProgressPort {
 public:
  void SetText(const std::string&) override {}
  void SetProgress(int, int) override {}
};

class CNoSettings final : public ISettingsPort {
 public:
  std::optional<std::string> Read(const std::string&, const std::string&) override { return std::nullopt; }
  bool Write(const std::string&, const std::string&, const std::string&) override { return false; }
};

CSilentMessages g_silentMessages;
CSilentProgress g_silentProgress;
CNoSettings g_noSettings;

CPorts& Installed() {
  static CPorts ports;
  return ports;
}

IMessagePort& Messages() {
  CPorts& p = Installed();
  return p.messages ? *p.messages : g_silentMessages;
}

IProgressPort& Progress() {
  CPorts& p = Installed();
  return p.progress ? *p.progress : g_silentProgress;
}

}  // namespace

const char* MessageKindName(EMessageKind kind) {
  switch (kind) {
    case EMessageKind::Warning: return "warning";
    case EMessageKind::Error: return "error";
    case EMessageKind::Information: return "information";
    case EMessageKind::Question: return "question";
  }
  return "warning";
}

CPorts& CurrentPorts() {
  CPorts& p = Installed();
  if (!p.settings)
    p.settings = &g_noSettings;
  return p;
}

CScopedPorts::CScopedPorts(const CPorts& ports) : m_previous(Installed()) {
  CPorts& p = Installed();
  if (ports.messages) p.messages = ports.messages;
  if (ports.progress) p.progress = ports.progress;
  if (ports.settings) p.settings = ports.settings;
}

CScopedPorts::~CScopedPorts() { Installed() = m_previous; }

EAnswer ShowText(int id, EMessageKind kind, const std::string& text) {
  return Messages().Show(CMessage{id, kind, text});
}

EAnswer ShowMessage(int id, EMessageKind kind, const std::vector<std::string>& args) {
  return ShowText(id, kind, FormatMessageText(CatalogText(id), args));
}

EAnswer ShowMessageF(int id, EMessageKind kind, const std::vector<CPrintfArg>& args) {
  return ShowText(id, kind, FormatPrintfText(CatalogText(id), args));
}

bool AskYesNo(int id, const std::vector<std::string>& args) {
  return ShowMessage(id, EMessageKind::Question, args) == EAnswer::Yes;
}

void ShowFileError(const std::string& path, const std::string& reason) {
  ShowText(0, EMessageKind::Warning, "'" + path + "': " + reason);
}

void ReportProgressText(const std::string& text) { Progress().SetText(text); }
void ReportProgress(int position, int range) { Progress().SetProgress(position, range); }
