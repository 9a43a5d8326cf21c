// CSettingsFile: one per-user settings file in the INI form that Qt's settings
// use, read within bounds and written in place, never over anything but a
// regular file.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

// The file may be a link (to a file kept with the user's other settings) or,
// by accident or on purpose, a FIFO, a device or a folder. Such a file is
// never opened, let alone replaced: its settings are the defaults and changes
// stay in memory, with one message (4090 or 4091) saying so. A link to a
// regular file is read and written through, and stays a link.
class CSettingsFile {
 public:
  static constexpr std::size_t kMaxBytes = 1024 * 1024;  // as for every file read whole

  // Without `report` the file says nothing of its troubles: the caller's
  // false results tell them (a program that runs unattended shows no boxes).
  explicit CSettingsFile(std::string path, bool report = true);

  // Brings the values up to date with the file: read when first asked, and
  // again only when it changed. A missing file is an empty one, created when
  // a value is first stored.
  void Refresh();

  // `group` is "Options" or "Recent File List" (a "/" in it names a group
  // below a group); `name` the value's name in it. Only text values count: a
  // value Qt would read as another type is none.
  std::optional<std::string> Value(const std::string& group, const std::string& name) const;
  // Stores a text value. The file is written only when the value differs from
  // the one it holds, and then only that value changes in it: what other
  // programs (or another instance) stored meanwhile stays. False when the
  // value could not be saved (reported once).
  bool SetValue(const std::string& group, const std::string& name, const std::string& value);

  const std::string& Path() const { return m_path; }
  // False once the file was found unusable: nothing more is read from it or
  // written to it in this run.
  bool Writable() const { return !m_refused; }

  // What tells that the file changed: its identity, size and times.
  struct CStamp {
    unsigned long long device = 0, inode = 0, size = 0;
    long long modified = 0, changed = 0;  // in nanoseconds
    bool operator==(const CStamp&) const = default;
  };

 private:
  using CKey = std::pair<std::string, std::string>;  // section, key as they read unescaped

  bool Refuse(int messageId, const std::string& reason = {});
  bool Save(const CKey& key, const std::string& value);
  bool SaveFailed(const std::string& reason);

  std::string m_path;
  bool m_report;
  std::optional<CStamp> m_stamp;  // of the file as last read
  bool m_refused = false;
  bool m_saveFailureReported = false;
  std::map<CKey, std::optional<std::string>> m_values;  // nullopt: present, but not text
};

// The INI text rules, shared with the tests.
namespace IniText {
// Every section's values; a value that is not text (Qt's "@Invalid()",
// "@ByteArray(...)" and the like) is nullopt; a list is joined with commas.
std::map<std::pair<std::string, std::string>, std::optional<std::string>> Parse(const std::string& text);
// `text` with the one value set: its line replaced where it stands, or added
// at the end of its section, or in a new section at the end. Everything else,
// comments included, stays as it was.
std::string WithValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& value);
// Group and name as section and key: "Recent File List" and "File1", or for
// "A/B" and "x" the section "A" and the key "B/x".
std::pair<std::string, std::string> KeyOf(const std::string& group, const std::string& name);
// One value as the line's right-hand side: quoted when it holds ',', ';' or
// '=' or begins or ends with a blank, control characters and quotes escaped.
std::string EscapeValue(const std::string& value);
// A section or key name as written: bytes other than letters, digits, '-',
// '_' and '.' as %XX, and '/' as '\'.
std::string EscapeKey(const std::string& key);
}  // namespace IniText
