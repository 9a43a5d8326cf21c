// The next save's texts without saving.
#include "project/generatedcode.h"

#include <filesystem>
#include <sstream>

#include "base/filereader.h"
#include "base/paths.h"
#include "base/ports.h"
#include "base/recordingports.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStampTag = "%DateTime%";

// The stamp lines of one template. A line with another placeholder beside the
// stamp, or with too little around it to be told from other lines, is left
// to compare as it stands.
void CollectStamps(const std::string& templateText, std::vector<CStampLine>& out) {
  std::istringstream lines(templateText);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::size_t at = line.find(kStampTag);
    if (at == std::string::npos)
      continue;
    std::string head = line.substr(0, at);
    std::string tail = line.substr(at + kStampTag.size());
    if (head.find('%') != std::string::npos || tail.find('%') != std::string::npos || head.size() + tail.size() < 4)
      continue;
    bool known = false;
    for (const CStampLine& stamp : out)
      known = known || (stamp.head == head && stamp.tail == tail);
    if (!known)
      out.push_back({head, tail, std::string("\x01") + head + "\x01" + tail});
  }
}

// The templates the generator reads, read again for their stamp lines: the
// generator reports only the texts. A template that does not read has failed
// the generation already.
std::vector<CStampLine> TemplateStamps(const CProjDoc& doc) {
  std::vector<CStampLine> stamps;
  const std::string base = doc.m_cpu.templateName.empty() ? "template" : doc.m_cpu.templateName;
  for (const char* extension : {"._c", "._h"}) {
    std::string text, reason;
    if (ReadWholeFile(CombinePath(doc.Kb().ConfFolder(), base + extension), text, reason) == EFileRead::kRead)
      CollectStamps(text, stamps);
  }
  return stamps;
}

}  // namespace

CNextSave ComputeNextSave(CProjDoc& doc, const std::string& projectPath) {
  CNextSave next;
  std::string cPath = CProjDoc::kDefaultCName;
  std::string hPath = CProjDoc::kDefaultHName;
  if (!projectPath.empty()) {
    CProjDoc::DerivePaths(projectPath, cPath, hPath);
    next.sourcePath = cPath;
    next.headerPath = hPath;
  }
  // A save derives the engines' frequencies before it writes them; the
  // project keeps its own until it is saved. (The loads a save recomputes
  // are not written.)
  const CProjDoc::CEngine engines[2] = {doc.m_engine[0], doc.m_engine[1]};
  CRecordingMessagePort quiet;
  {
    CScopedPorts scope(CPorts{&quiet, CurrentPorts().progress, CurrentPorts().settings});
    doc.DeriveEngineFrequencies(-1);
    next.generated = doc.GenerateSaveTexts(cPath, hPath, next.source, next.header);
  }
  doc.m_engine[0] = engines[0];
  doc.m_engine[1] = engines[1];
  if (!next.generated) {
    next.source.clear();
    next.header.clear();
    next.reason = quiet.Messages().empty() ? std::string("the code templates cannot be read")
                                           : quiet.Messages().front().text;
    return next;
  }
  next.stamps = TemplateStamps(doc);
  return next;
}

CDiskText ReadDiskText(const std::string& path) {
  CDiskText disk;
  disk.path = path;
  if (path.empty())
    return disk;
  std::error_code error;
  if (!fs::exists(path, error) && !error) {
    disk.state = CDiskText::kMissing;
    return disk;
  }
  if (ReadWholeFile(path, disk.bytes, disk.reason) != EFileRead::kRead) {
    disk.state = CDiskText::kUnreadable;
    if (disk.reason.empty())
      disk.reason = "larger than " + std::to_string(kMaxReadFileSize / 1024) + " KiB";
    disk.bytes.clear();
    return disk;
  }
  disk.state = CDiskText::kRead;
  disk.crlf = disk.bytes.find("\r\n") != std::string::npos;
  return disk;
}

CLineDiff CompareWithDisk(const std::string& text, const CDiskText& disk, const std::vector<CStampLine>& stamps) {
  std::vector<std::string_view> newLines = SplitLines(text);
  if (disk.state != CDiskText::kRead) {
    CLineDiff none;
    none.marks.assign(newLines.size(), ELineMark::kSame);
    return none;
  }
  auto key = [&stamps](std::string_view line) -> std::string_view {
    for (const CStampLine& stamp : stamps)
      if (line.size() >= stamp.head.size() + stamp.tail.size() && line.starts_with(stamp.head) &&
          line.ends_with(stamp.tail))
        return stamp.key;
    return line;
  };
  return DiffLines(SplitLines(disk.bytes), newLines, key);
}
