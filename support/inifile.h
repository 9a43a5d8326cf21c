// CIniFile and CIniSection: ordered sections of ordered key-value text pairs, read and written as INI text.
#pragma once

#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// One "[name]" block. Keys are case-sensitive and keep the position of their
// first appearance; a later value for the same key replaces the earlier one.
class CIniSection {
 public:
  std::string name;

  std::string GetValue(const std::string& key) const;  // "" when absent
  bool HasKey(const std::string& key) const;
  void SetValue(const std::string& key, const std::string& value);
  const std::vector<std::string>& Keys() const { return m_keys; }  // order of first appearance

  virtual ~CIniSection() = default;
  // Reads the next header and the key lines up to the following header, and
  // leaves the stream at that header. True when a header was read.
  virtual bool Read(std::istream& in);
  virtual void Write(std::ostream& out) const;

 private:
  std::map<std::string, std::string> m_values;
  std::vector<std::string> m_keys;
};

// The sections of one or more INI files in reading order. Section names are
// compared exactly; the first section of a name wins. There is no comment
// syntax: a line that is neither a header nor a key line is skipped.
class CIniFile {
 public:
  CIniFile() = default;
  CIniFile(const CIniFile&) = delete;
  CIniFile& operator=(const CIniFile&) = delete;
  virtual ~CIniFile();

  virtual void Clear();
  // Adds the file's sections to those already held. 1 on success; a file that
  // cannot be read is reported through the messages port and gives 0.
  virtual int Load(const std::string& path);
  // Derived classes override this to build their records and call the base first.
  virtual int Read(std::istream& in, const std::string& fullPath);
  virtual int Save(bool report);
  virtual int SaveAs(const std::string& path, bool report);
  virtual int Write(std::ostream& out);
  virtual CIniSection* FindSection(const std::string& name) const;
  // Null when a section of that name exists.
  virtual CIniSection* AddSection(const std::string& name);
  // 0, and the section is dropped, when a section of that name exists.
  virtual int AddSectionObject(std::unique_ptr<CIniSection> section);

  const std::vector<std::unique_ptr<CIniSection>>& Sections() const { return m_sections; }
  const std::string& Path() const { return m_path; }

  std::string header;  // written before the first section when not empty

 private:
  std::string m_path;
  std::vector<std::unique_ptr<CIniSection>> m_sections;
  std::map<std::string, CIniSection*> m_sectionsByName;
};
