// Recovery copies of unsaved changes: naming, writing, the note of the
// project's path and time, and which copies no running program holds.
#include "app/recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <utility>

#include "base/filereader.h"
#include "base/paths.h"
#include "base/recordingports.h"
#include "base/texthelpers.h"
#include "project/filetransaction.h"
#include "project/projdoc.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kInfoHeading = "Kivo Vam recovery copy";
constexpr const char* kUntitledName = "untitled_kivo_vam";
constexpr std::size_t kMaxInfoSize = 64 * 1024;
constexpr std::size_t kMaxStemLength = 48;
constexpr const char* kExtensions[] = {".info", ".c", ".h"};

int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// FNV-1a: stable across runs and builds, which a copy's name must be.
uint64_t PathHash(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// A path may hold any byte but "/" and NUL: control characters and the escape
// itself are written as %XX, so the note keeps one path on one line.
std::string EscapeLine(const std::string& text) {
  std::string escaped;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f || c == '%') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      escaped += code;
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

bool UnescapeLine(const std::string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size())
      return false;
    auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (error != std::errc() || end != text.data() + i + 3)
      return false;
    out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

std::string InfoText(const std::string& projectPath, int64_t savedAt) {
  return std::string(kInfoHeading) + "\nproject=" + EscapeLine(projectPath) + "\nsaved=" + std::to_string(savedAt) +
         "\n";
}

bool ParseInfo(const std::string& text, std::string& outProject, int64_t& outSaved) {
  bool haveProject = false;
  bool haveSaved = false;
  std::size_t start = 0;
  for (int line = 0; start < text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string row = text.substr(start, end - start);
    start = end + 1;
    if (line == 0) {
      if (row != kInfoHeading)
        return false;
      continue;
    }
    if (row.rfind("project=", 0) == 0) {
      haveProject = UnescapeLine(row.substr(8), outProject);
    } else if (row.rfind("saved=", 0) == 0) {
      const char* first = row.data() + 6;
      const char* last = row.data() + row.size();
      auto [stop, error] = std::from_chars(first, last, outSaved);
      haveSaved = error == std::errc() && stop == last && first != last;
    }
  }
  return haveProject && haveSaved;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A name in the folder that is taken by something other than a file (a link,
// a FIFO, a folder) is left alone rather than replaced.
bool IsFileOrMissing(const std::string& path, std::string& outReason) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT)
      return true;
    outReason = path + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISREG(info.st_mode))
    return true;
  outReason = path + ": not a regular file";
  return false;
}

}  // namespace

// ---- CFileLock

CFileLock::~CFileLock() { Release(); }

CFileLock::CFileLock(CFileLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

CFileLock& CFileLock::operator=(CFileLock&& other) noexcept {
  if (this != &other) {
    Release();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

bool CFileLock::Acquire(const std::string& path, std::string* outReason) {
  Release();
  std::string reason;
  if (!IsFileOrMissing(path, reason)) {
    if (outReason)
      *outReason = reason;
    return false;
  }
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (outReason)
      *outReason = path + ": " + (fd < 0 ? std::strerror(errno) : "not a regular file");
    if (fd >= 0)
      close(fd);
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (outReason)
      *outReason = path + ": held by another program";
    close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

void CFileLock::Release() {
  if (m_fd >= 0)
    close(m_fd);
  m_fd = -1;
}

// ---- CRecoveryStore

CRecoveryStore::CRecoveryStore(std::string folder, long pid)
    : m_folder(std::move(folder)), m_pid(pid > 0 ? pid : static_cast<long>(getpid())) {}

// The copy stays: only a program that closes cleanly removes it, by Remove.
CRecoveryStore::~CRecoveryStore() = default;

std::string CRecoveryStore::PathOf(const std::string& name, const char* extension) const {
  return CombinePath(m_folder, name + extension);
}

std::string CRecoveryStore::CopyName(const std::string& projectPath, long pid) {
  std::string stem = projectPath.empty() ? std::string(kUntitledName) : fs::path(projectPath).stem().string();
  for (char& c : stem) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!plain)
      c = '_';
  }
  if (stem.size() > kMaxStemLength)
    stem.resize(kMaxStemLength);
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(PathHash(projectPath)));
  return stem + "-" + hash + "-" + std::to_string(pid);
}

bool CRecoveryStore::MakeFolder(std::string& outReason) const {
  std::error_code error;
  if (fs::is_directory(m_folder, error))
    return true;
  fs::create_directories(m_folder, error);
  if (error || !fs::is_directory(m_folder, error)) {
    outReason = m_folder + ": " + (error ? error.message() : std::string("not a folder"));
    return false;
  }
  // The copies hold the user's project: for the user's eyes only.
  fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::replace, error);
  return true;
}

bool CRecoveryStore::Write(CProjDoc& doc, const std::string& projectPath, int64_t savedAt, std::string& outReason) {
  std::string headerName = CProjDoc::kDefaultHName;
  if (!projectPath.empty()) {
    std::string source, header;
    CProjDoc::DerivePaths(projectPath, source, header);
    headerName = fs::path(header).filename().string();
  }
  std::string source, header;
  CRecordingMessagePort quiet;
  bool generated = false;
  {
    CScopedPorts scope(CPorts{&quiet, nullptr, nullptr});
    generated = doc.GenerateProjectTexts(headerName, source, header);
  }
  if (!generated) {
    m_lastWriteMs = SteadyMs();
    outReason = quiet.Messages().empty() ? std::string("the templates cannot be read") : quiet.Messages().front().text;
    return false;
  }
  return WriteTexts(projectPath, source, header, savedAt, outReason);
}

bool CRecoveryStore::WriteTexts(const std::string& projectPath, const std::string& source, const std::string& header,
                                int64_t savedAt, std::string& outReason) {
  m_lastWriteMs = SteadyMs();
  if (!MakeFolder(outReason))
    return false;
  std::string name = CopyName(projectPath, m_pid);
  CFileLock lock;
  bool renamed = name != m_name;
  if (renamed && !lock.Acquire(PathOf(name, ".lock"), &outReason))
    return false;
  for (const char* extension : kExtensions)
    if (!IsFileOrMissing(PathOf(name, extension), outReason))
      return false;
  // The note goes last: a copy counts once it is there.
  CFileTransaction files;
  files.Add(PathOf(name, ".c"), source);
  files.Add(PathOf(name, ".h"), header);
  files.Add(PathOf(name, ".info"), InfoText(projectPath, savedAt));
  std::string failedPath, reason;
  if (!files.Commit(failedPath, reason)) {
    outReason = failedPath + ": " + reason;
    if (renamed)
      std::remove(PathOf(name, ".lock").c_str());
    return false;
  }
  if (renamed) {
    if (!m_name.empty())
      RemoveFiles(m_name);
    m_lock = std::move(lock);
    m_name = name;
  }
  for (CRecoveryCopy& copy : m_takenOver)
    Discard(copy);
  m_takenOver.clear();
  return true;
}

void CRecoveryStore::Remove() {
  if (!m_name.empty())
    RemoveFiles(m_name);
  m_lock.Release();
  m_name.clear();
  for (CRecoveryCopy& copy : m_takenOver)
    Discard(copy);
  m_takenOver.clear();
}

void CRecoveryStore::RemoveFiles(const std::string& name) const {
  for (const char* extension : kExtensions)
    std::remove(PathOf(name, extension).c_str());
  // A write cut short leaves its temporary files beside the targets.
  std::string hidden = "." + name + ".";
  for (const std::string& entry : ListFolder(m_folder))
    if (entry.rfind(hidden, 0) == 0 && entry.find(".kvtmp") != std::string::npos)
      std::remove(CombinePath(m_folder, entry).c_str());
  std::remove(PathOf(name, ".lock").c_str());
}

std::vector<CRecoveryCopy> CRecoveryStore::ClaimLeftCopies() {
  std::vector<CRecoveryCopy> copies;
  for (const std::string& entry : ListFolder(m_folder)) {
    constexpr std::string_view kInfo = ".info";
    if (entry.size() <= kInfo.size() || entry.compare(entry.size() - kInfo.size(), kInfo.size(), kInfo) != 0 ||
        entry.front() == '.')
      continue;
    CRecoveryCopy copy;
    copy.name = entry.substr(0, entry.size() - kInfo.size());
    if (copy.name == m_name || !copy.lock.Acquire(PathOf(copy.name, ".lock")))
      continue;
    std::string text, reason;
    if (ReadWholeFile(PathOf(copy.name, ".info"), text, reason, kMaxInfoSize) != EFileRead::kRead ||
        !ParseInfo(text, copy.projectPath, copy.savedAt))
      continue;
    copy.sourcePath = PathOf(copy.name, ".c");
    copy.headerPath = PathOf(copy.name, ".h");
    if (!IsRegularFile(copy.sourcePath) || !IsRegularFile(copy.headerPath))
      continue;
    copies.push_back(std::move(copy));
  }
  std::sort(copies.begin(), copies.end(), [](const CRecoveryCopy& a, const CRecoveryCopy& b) {
    return a.savedAt != b.savedAt ? a.savedAt > b.savedAt : a.name < b.name;
  });
  return copies;
}

void CRecoveryStore::Discard(CRecoveryCopy& copy) const {
  RemoveFiles(copy.name);
  copy.lock.Release();
}

void CRecoveryStore::TakeOver(CRecoveryCopy copy) { m_takenOver.push_back(std::move(copy)); }

int64_t CRecoveryStore::DelayBeforeWrite(int64_t sinceLastWriteMs, int64_t intervalMs, int64_t settleMs) {
  if (sinceLastWriteMs < 0)
    return settleMs;
  return std::max(settleMs, intervalMs - sinceLastWriteMs);
}

int64_t CRecoveryStore::DelayBeforeWrite() const {
  return DelayBeforeWrite(m_lastWriteMs < 0 ? -1 : SteadyMs() - m_lastWriteMs);
}

std::string RecoveryTimeText(int64_t savedAt) {
  std::time_t time = static_cast<std::time_t>(savedAt);
  std::tm local {};
  if (!localtime_r(&time, &local))
    return std::to_string(savedAt);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}
