// Reading and writing INI text with the section-line and key-line patterns.
#include "support/inifile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "base/filedescriptor.h"
#include "base/filereader.h"
#include "base/ports.h"
#include "support/regexp.h"

namespace {

CRegExp& SectionLine() {
  static CRegExp pattern(R"re(^\s*\[([^\]\n]+)]\s*$)re");
  return pattern;
}

CRegExp& KeyLine() {
  static CRegExp pattern(R"re(^\s*(\S+?)\s*=\s*(.*?)\s*$)re");
  return pattern;
}

// A file written on another system ends its lines with "\r\n"; text-mode
// reading gives the same line either way.
bool ReadLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line))
    return false;
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

std::string ErrnoText() { return std::strerror(errno); }

// The file is rewritten where it is, so a link to it stays a link; but a FIFO,
// device or folder of that name is never written into, and the open never
// waits for a reader.
bool WriteInPlace(const std::string& path, const std::string& bytes, std::string& outReason) {
  outReason = NotRegularFileReason(path);
  if (!outReason.empty())
    return false;
  CFileDescriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
  if (fd.Get() < 0) {
    outReason = ErrnoText();
    return false;
  }
  struct stat info {};
  bool ok = fstat(fd.Get(), &info) == 0;
  if (ok && !S_ISREG(info.st_mode))
    outReason = "is not a regular file";
  else if (!ok || ftruncate(fd.Get(), 0) != 0 || !fd.WriteAll(bytes))
    outReason = ErrnoText();
  if (!fd.Close() && outReason.empty())
    outReason = ErrnoText();
  return outReason.empty();
}

}  // namespace

std::string CIniSection::GetValue(const std::string& key) const {
  auto it = m_values.find(key);
  return it == m_values.end() ? std::string() : it->second;
}

bool CIniSection::HasKey(const std::string& key) const { return m_values.count(key) != 0; }

void CIniSection::SetValue(const std::string& key, const std::string& value) {
  auto [it, inserted] = m_values.insert_or_assign(key, value);
  if (inserted)
    m_keys.push_back(key);
}

bool CIniSection::Read(std::istream& in) {
  bool found = false;
  std::string line;
  for (;;) {
    std::istream::pos_type lineStart = in.tellg();
    if (!ReadLine(in, line))
      return found;
    if (SectionLine().Execute(line) > 0) {
      if (found) {
        // The next section starts here: leave its header for it to read.
        in.clear();
        in.seekg(lineStart);
        return true;
      }
      name = SectionLine().GetMatch(0).SubMatch(0);
      found = true;
    } else if (found && KeyLine().Execute(line) > 0) {
      const CRegExpMatch& match = KeyLine().GetMatch(0);
      SetValue(match.SubMatch(0), match.SubMatch(1));
    }
  }
}

void CIniSection::Write(std::ostream& out) const {
  out << '[' << name << "]\n";
  for (const std::string& key : m_keys)
    out << key << '=' << GetValue(key) << '\n';
}

CIniFile::~CIniFile() = default;

void CIniFile::Clear() {
  m_sectionsByName.clear();
  m_sections.clear();
}

int CIniFile::Load(const std::string& path) {
  m_path.clear();
  header.clear();
  std::string text;
  if (!ReadWholeFileReported(path, text))
    return 0;
  std::istringstream in(text);
  try {
    return Read(in, std::filesystem::absolute(path).lexically_normal().string());
  } catch (const CRegExpError& e) {
    ShowFileError(path, e.what());
    return 0;
  }
}

int CIniFile::Read(std::istream& in, const std::string& fullPath) {
  for (;;) {
    auto section = std::make_unique<CIniSection>();
    if (!section->Read(in))
      break;
    AddSectionObject(std::move(section));
  }
  m_path = fullPath;
  return 1;
}

int CIniFile::Save(bool report) {
  if (m_path.empty())
    return 0;
  return SaveAs(m_path, report);
}

int CIniFile::SaveAs(const std::string& path, bool report) {
  std::ostringstream text;
  int result = Write(text);
  std::string reason;
  if (result && !WriteInPlace(path, text.str(), reason)) {
    if (report)
      ShowFileError(path, reason);
    return 0;
  }
  return result;
}

int CIniFile::Write(std::ostream& out) {
  if (!header.empty())
    out << header << '\n';
  for (const auto& section : m_sections) {
    section->Write(out);
    out << '\n';
  }
  return 1;
}

CIniSection* CIniFile::FindSection(const std::string& name) const {
  auto it = m_sectionsByName.find(name);
  return it == m_sectionsByName.end() ? nullptr : it->second;
}

CIniSection* CIniFile::AddSection(const std::string& name) {
  auto section = std::make_unique<CIniSection>();
  section->name = name;
  CIniSection* added = section.get();
  return AddSectionObject(std::move(section)) ? added : nullptr;
}

int CIniFile::AddSectionObject(std::unique_ptr<CIniSection> section) {
  if (!section || m_sectionsByName.count(section->name))
    return 0;
  m_sectionsByName.emplace(section->name, section.get());
  m_sections.push_back(std::move(section));
  return 1;
}
