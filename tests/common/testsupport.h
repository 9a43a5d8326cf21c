// Test helpers shared by the suites: fixture paths, temporary folders, recorded ports.
#pragma once

#include <filesystem>
#include <string>

#include "base/recordingports.h"

std::filesystem::path FixturePath(const std::string& relative);
std::filesystem::path SourcePath(const std::string& relative);
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// Copies the bundled sample project (kivo_vam.c and kivo_vam.h) into `folder`.
void CopySampleProject(const std::filesystem::path& folder);

// A fresh folder under the system's temporary folder, removed with the object.
class CTempDir {
 public:
  CTempDir();
  ~CTempDir();
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;
  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

// Records messages and progress for the lifetime of the object.
class CRecordedPorts {
 public:
  CRecordedPorts() : m_scope(CPorts{&messages, &progress, &settings}) {}
  CRecordingMessagePort messages;
  CRecordingProgressPort progress;
  CMemorySettingsPort settings;

 private:
  CScopedPorts m_scope;
};
