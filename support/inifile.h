// CIniFile and CIniSection: ordered sections of ordered key-value text pairs.
#pragma once

#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// One "[name]" block. Keys are case-sensitive and keep the position of their
// first appearance even when a later line replaces the value.
class CIniSection {
 public:
  std::string name;

  std::string GetValue(const std::string& key) const;  // "" when absent
  bool HasKey(const std::string& key) const;
  void SetValue(const std::string& key, const std::string& value);
  const std::vector<std::string>& Keys() const { return m_keys; }

  virtual ~CIniSection() = default;
  // Reads the next section header and its key lines; stops in front of the
  // following header so that the next section reads it. True when a header
  // was read. May raise CRegExpError.
  virtual bool Read(std::istream& in);
  virtual void Write(std::ostream& out) const;

 private:
  std::map<std::string, std::string> m_values;
  std::vector<std::string> m_keys;
};

// An INI file as a list of sections. Lines that are neither a section header
// nor a key line are ignored (there is no comment syntax), the first section of
// a name wins, and a second Load adds to what the first one read.
class CIniFile {
 public:
  CIniFile() = default;
  CIniFile(const CIniFile&) = delete;
  CIniFile& operator=(const CIniFile&) = delete;
  virtual ~CIniFile();

  virtual void Clear();
  // 1 on success; 0 after reporting a file that cannot be opened or read.
  virtual int Load(const std::string& path);
  // Reads sections from the stream and remembers fullPath as Path(). Derived
  // classes build their own records after calling the base. Returns 1; may
  // raise CRegExpError.
  virtual int Read(std::istream& in, const std::string& fullPath);
  // 0 when no file was read yet, else SaveAs(Path(), report).
  virtual int Save(bool report);
  // 0 on a file error, reported through the message port when `report` is set.
  virtual int SaveAs(const std::string& path, bool report);
  virtual int Write(std::ostream& out);
  virtual CIniSection* FindSection(const std::string& name) const;
  // The new empty section, or nullptr when a section of that name exists.
  virtual CIniSection* AddSection(const std::string& name);
  // 1, or 0 (and the section is dropped) when a section of that name exists.
  virtual int AddSectionObject(std::unique_ptr<CIniSection> section);

  const std::vector<std::unique_ptr<CIniSection>>& Sections() const { return m_sections; }
  const std::string& Path() const { return m_path; }

  // Written in front of the first section when saving.
  std::string header;

 private:
  std::string m_path;
  std::vector<std::unique_ptr<CIniSection>> m_sections;
  std::map<std::string, CIniSection*> m_sectionsByName;
};
