// CSettingsFile and the INI text rules.
#include "base/settingsfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/filedescriptor.h"
#include "base/filereader.h"
#include "base/ports.h"

namespace {

constexpr int kMsgNotRegular = 4090;
constexpr int kMsgNotRead = 4091;
constexpr int kMsgNotSaved = 4092;

constexpr const char* kRootSection = "General";

// ---- Text helpers

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && (IsBlank(text[first]) || text[first] == '\r'))
    ++first;
  while (last > first && (IsBlank(text[last - 1]) || text[last - 1] == '\r'))
    --last;
  return text.substr(first, last - first);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, unsigned long code) {
  if (code > 0x10FFFF)
    code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The code point of the UTF-8 sequence at `at` (advanced past it); a byte
// that begins no valid sequence stands for itself, as Latin-1.
unsigned long NextCodePoint(const std::string& text, std::size_t& at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  std::size_t extra = lead >= 0xF0 && lead < 0xF5   ? 3
                      : lead >= 0xE0 && lead < 0xF0 ? 2
                      : lead >= 0xC2 && lead < 0xE0 ? 1
                                                    : 0;
  unsigned long code = lead & (0x3Fu >> extra);
  for (std::size_t i = 1; i <= extra; ++i) {
    if (at + i >= text.size() || (byte(at + i) & 0xC0) != 0x80)
      break;
    code = (code << 6) | (byte(at + i) & 0x3Fu);
    if (i == extra) {
      at += extra + 1;
      return code;
    }
  }
  ++at;
  return lead;
}

std::string UnescapeKey(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\') {
      out += '/';
    } else if (c == '%' && i + 5 < text.size() && text[i + 1] == 'U' && HexValue(text[i + 2]) >= 0 &&
               HexValue(text[i + 3]) >= 0 && HexValue(text[i + 4]) >= 0 && HexValue(text[i + 5]) >= 0) {
      AppendUtf8(out, std::stoul(text.substr(i + 2, 4), nullptr, 16));
      i += 5;
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      AppendUtf8(out, static_cast<unsigned long>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

// The right-hand side of a line as Qt reads it: quotes group, backslashes
// escape, an unquoted comma separates the items of a list and an unquoted
// semicolon begins a comment; blanks around each item go.
std::vector<std::string> UnescapeValue(const std::string& raw) {
  std::vector<std::string> items;
  std::string current;
  std::size_t keep = 0;  // what a trailing run of unquoted blanks does not cover
  bool quoted = false;
  auto finish = [&] {
    current.resize(keep);
    items.push_back(current);
    current.clear();
    keep = 0;
  };
  for (std::size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '"') {
      quoted = !quoted;
      keep = current.size();
      continue;
    }
    if (c == '\\' && i + 1 < raw.size()) {
      char e = raw[++i];
      switch (e) {
        case 'a': current += '\a'; break;
        case 'b': current += '\b'; break;
        case 'f': current += '\f'; break;
        case 'n': current += '\n'; break;
        case 'r': current += '\r'; break;
        case 't': current += '\t'; break;
        case 'v': current += '\v'; break;
        case 'x': {
          unsigned long code = 0;
          while (i + 1 < raw.size() && HexValue(raw[i + 1]) >= 0 && code <= 0x10FFFF)
            code = code * 16 + static_cast<unsigned long>(HexValue(raw[++i]));
          AppendUtf8(current, code);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            unsigned long code = static_cast<unsigned long>(e - '0');
            for (int digits = 1; digits < 3 && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7'; ++digits)
              code = code * 8 + static_cast<unsigned long>(raw[++i] - '0');
            AppendUtf8(current, code);
          } else {
            current += e;  // \" \' \\ \? and anything else: the character itself
          }
      }
      keep = current.size();
      continue;
    }
    if (!quoted && c == ';')
      break;
    if (!quoted && c == ',') {
      finish();
      continue;
    }
    if (!quoted && IsBlank(c) && current.empty())
      continue;
    current += c;
    if (quoted || !IsBlank(c))
      keep = current.size();
  }
  finish();
  return items;
}

// Qt marks values of other types with a leading "@"; a text that begins with
// "@" is written with a second one.
std::optional<std::string> TextOf(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i)
    text += (i ? "," : "") + items[i];
  if (items.size() != 1 || text.empty() || text[0] != '@')
    return text;
  if (text.rfind("@@", 0) == 0)
    return text.substr(1);
  if (text.back() == ')' && text.rfind("@String(", 0) == 0)
    return text.substr(8, text.size() - 9);
  for (const char* other : {"@Invalid(", "@ByteArray(", "@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point("}) {
    if (text.back() == ')' && text.rfind(other, 0) == 0)
      return std::nullopt;
  }
  return text;
}

// One line of the file.
struct CLine {
  enum EKind { kOther, kSection, kValue } kind = kOther;
  std::string name;  // the section's or the key's, unescaped
  std::string raw;   // kValue: the right-hand side as written
};

CLine Classify(const std::string& line) {
  std::string text = Trimmed(line);
  CLine result;
  if (text.empty() || text[0] == ';' || text[0] == '#')
    return result;
  if (text[0] == '[') {
    std::size_t end = text.find(']');
    result.kind = CLine::kSection;
    result.name = UnescapeKey(text.substr(1, end == std::string::npos ? std::string::npos : end - 1));
    if (result.name == kRootSection)
      result.name.clear();
    return result;
  }
  std::size_t equals = text.find('=');
  if (equals == std::string::npos)
    return result;
  result.kind = CLine::kValue;
  result.name = UnescapeKey(Trimmed(text.substr(0, equals)));
  result.raw = text.substr(equals + 1);
  return result;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string HexByte(unsigned value) {
  const char* digits = "0123456789ABCDEF";
  return std::string{digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

// ---- File access

std::string ErrorText(int error) { return std::strerror(error); }

enum class EKind { kMissing, kRegular, kNotRegular, kFailed };

// What the path names, following a link; a link that leads nowhere is not a
// regular file either (a file is never created at a link's far end).
EKind Examine(const std::string& path, std::string& reason, struct stat& info) {
  if (lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT)
      return EKind::kMissing;
    reason = ErrorText(errno);
    return EKind::kFailed;
  }
  if (S_ISLNK(info.st_mode) && stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT)
      return EKind::kNotRegular;
    reason = ErrorText(errno);
    return EKind::kFailed;
  }
  return S_ISREG(info.st_mode) ? EKind::kRegular : EKind::kNotRegular;
}

CSettingsFile::CStamp StampOf(const struct stat& info) {
  constexpr long long kNano = 1000000000LL;
  CSettingsFile::CStamp stamp;
  stamp.device = static_cast<unsigned long long>(info.st_dev);
  stamp.inode = static_cast<unsigned long long>(info.st_ino);
  stamp.size = static_cast<unsigned long long>(info.st_size);
  stamp.modified = static_cast<long long>(info.st_mtim.tv_sec) * kNano + info.st_mtim.tv_nsec;
  stamp.changed = static_cast<long long>(info.st_ctim.tv_sec) * kNano + info.st_ctim.tv_nsec;
  return stamp;
}

using CFd = CFileDescriptor;

// The bytes of a regular file, through the one bounded reader.
bool ReadRegular(const std::string& path, std::string& bytes, std::string& reason) {
  switch (ReadWholeFile(path, bytes, reason, CSettingsFile::kMaxBytes)) {
    case EFileRead::kRead: return true;
    case EFileRead::kTooBig: reason = ErrorText(EFBIG); return false;
    case EFileRead::kFailed: return false;
  }
  return false;
}

// Over the existing file, through a link if it is one: the new text from the
// start, then the rest cut off, so the file is never empty on the way. No
// temporary file is renamed into place: that would replace the link, or
// whatever the link names.
bool WriteInPlace(const std::string& path, const std::string& bytes, std::string& reason) {
  struct stat before {};
  if (stat(path.c_str(), &before) != 0) {
    reason = ErrorText(errno);
    return false;
  }
  if (!S_ISREG(before.st_mode)) {
    reason = ErrorText(EINVAL);
    return false;
  }
  CFd fd(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (fd.Get() < 0 || fstat(fd.Get(), &opened) != 0) {
    reason = ErrorText(errno);
    return false;
  }
  if (!S_ISREG(opened.st_mode) || opened.st_dev != before.st_dev || opened.st_ino != before.st_ino) {
    reason = ErrorText(EINVAL);
    return false;
  }
  if (!fd.WriteAll(bytes)) {
    reason = ErrorText(errno);
    return false;
  }
  if (ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0 || !fd.Close()) {
    reason = ErrorText(errno);
    return false;
  }
  return true;
}

// A file where there was none; should one have appeared meanwhile, it is not touched.
bool CreateNew(const std::string& path, const std::string& bytes, std::string& reason) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  if (error) {
    reason = error.message();
    return false;
  }
  CFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666));
  if (fd.Get() < 0) {
    reason = ErrorText(errno);
    return false;
  }
  if (!fd.WriteAll(bytes)) {
    reason = ErrorText(errno);
    return false;
  }
  if (!fd.Close()) {
    reason = ErrorText(errno);
    return false;
  }
  return true;
}

}  // namespace

// ---- The INI text

namespace IniText {

std::map<std::pair<std::string, std::string>, std::optional<std::string>> Parse(const std::string& text) {
  std::map<std::pair<std::string, std::string>, std::optional<std::string>> values;
  std::string section;
  for (const std::string& line : SplitLines(text)) {
    CLine parsed = Classify(line);
    if (parsed.kind == CLine::kSection)
      section = parsed.name;
    else if (parsed.kind == CLine::kValue)
      values[{section, parsed.name}] = TextOf(UnescapeValue(parsed.raw));
  }
  return values;
}

std::string WithValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& value) {
  std::vector<std::string> lines = SplitLines(text);
  std::string entry = EscapeKey(key) + "=" + EscapeValue(value);
  std::string current;
  bool found = false;
  std::size_t insertAt = std::string::npos;  // after the last line of the section's last block
  for (std::size_t i = 0; i < lines.size(); ++i) {
    CLine parsed = Classify(lines[i]);
    if (parsed.kind == CLine::kSection)
      current = parsed.name;
    if (current != section)
      continue;
    if (parsed.kind == CLine::kValue && parsed.name == key) {
      bool crlf = !lines[i].empty() && lines[i].back() == '\r';
      lines[i] = entry + (crlf ? "\r" : "");
      found = true;
    }
    // A new key goes after the section's last value, before any comment or
    // blank line that leads into the next section.
    if (parsed.kind != CLine::kOther)
      insertAt = i + 1;
  }
  if (!found) {
    if (insertAt != std::string::npos) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    } else {
      if (!lines.empty() && !Trimmed(lines.back()).empty())
        lines.emplace_back();
      std::string header(1, '[');
      header += section.empty() ? std::string(kRootSection) : EscapeKey(section);
      lines.push_back(header + "]");
      lines.push_back(entry);
    }
  }
  std::string out;
  for (const std::string& line : lines)
    out += line + "\n";
  return out;
}

std::pair<std::string, std::string> KeyOf(const std::string& group, const std::string& name) {
  std::size_t slash = group.find('/');
  if (slash == std::string::npos)
    return {group, name};
  return {group.substr(0, slash), group.substr(slash + 1) + "/" + name};
}

std::string EscapeValue(const std::string& value) {
  std::string text = !value.empty() && value[0] == '@' ? std::string(1, '@').append(value) : value;
  std::string out;
  bool needsQuotes = false;
  bool escapeHexDigit = false;  // after a numeric escape, which would take the digit in
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == ';' || c == ',' || c == '=')
      needsQuotes = true;
    if (escapeHexDigit && HexValue(c) >= 0) {
      out += "\\x";
      out += HexByte(byte);
      continue;
    }
    escapeHexDigit = false;
    switch (c) {
      case '\a': out += "\\a"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\v': out += "\\v"; break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      default:
        if (byte <= 0x1F) {
          out += "\\x";
          out += HexByte(byte);
          escapeHexDigit = true;
        } else {
          out += c;
        }
    }
  }
  if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' ')))
    out = std::string(1, '"').append(out) + '"';
  return out;
}

std::string EscapeKey(const std::string& key) {
  std::string out;
  for (std::size_t at = 0; at < key.size();) {
    char c = key[at];
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '_' || c == '.';
    if (plain || c == '/') {
      out += c == '/' ? '\\' : c;
      ++at;
      continue;
    }
    unsigned long code = NextCodePoint(key, at);
    if (code <= 0xFF) {
      out += '%';
      out += HexByte(static_cast<unsigned>(code));
    } else {
      out += "%U";
      out += HexByte(static_cast<unsigned>(code >> 8));
      out += HexByte(static_cast<unsigned>(code));
    }
  }
  return out;
}

}  // namespace IniText

// ---- The file

CSettingsFile::CSettingsFile(std::string path, bool report) : m_path(std::move(path)), m_report(report) {}

bool CSettingsFile::Refuse(int messageId, const std::string& reason) {
  if (!m_refused && m_report)
    ShowMessage(messageId, EMessageKind::Warning, {m_path, reason});
  m_refused = true;
  return false;
}

void CSettingsFile::Refresh() {
  if (m_refused)
    return;
  std::string reason;
  struct stat info {};
  switch (Examine(m_path, reason, info)) {
    case EKind::kMissing:
      m_values.clear();
      m_stamp.reset();
      return;
    case EKind::kNotRegular: Refuse(kMsgNotRegular); return;
    case EKind::kFailed: Refuse(kMsgNotRead, reason); return;
    case EKind::kRegular: break;
  }
  if (m_stamp == StampOf(info))
    return;
  std::string bytes;
  if (!ReadRegular(m_path, bytes, reason)) {
    Refuse(kMsgNotRead, reason);
    return;
  }
  m_values = IniText::Parse(bytes);
  m_stamp = StampOf(info);
}

std::optional<std::string> CSettingsFile::Value(const std::string& group, const std::string& name) const {
  auto it = m_values.find(IniText::KeyOf(group, name));
  return it == m_values.end() ? std::nullopt : it->second;
}

bool CSettingsFile::SetValue(const std::string& group, const std::string& name, const std::string& value) {
  Refresh();
  CKey key = IniText::KeyOf(group, name);
  auto it = m_values.find(key);
  if (it != m_values.end() && it->second == value)
    return !m_refused;
  m_values[key] = value;
  return !m_refused && Save(key, value);
}

bool CSettingsFile::SaveFailed(const std::string& reason) {
  if (!m_saveFailureReported && m_report)
    ShowMessage(kMsgNotSaved, EMessageKind::Warning, {m_path, reason});
  m_saveFailureReported = true;
  return false;
}

// The file as it is now, with the one value changed.
bool CSettingsFile::Save(const CKey& key, const std::string& value) {
  std::string reason;
  std::string current;
  struct stat info {};
  EKind kind = Examine(m_path, reason, info);
  if (kind == EKind::kNotRegular)
    return Refuse(kMsgNotRegular);
  if (kind == EKind::kFailed)
    return SaveFailed(reason);
  if (kind == EKind::kRegular && !ReadRegular(m_path, current, reason))
    return SaveFailed(reason);
  std::string changed = IniText::WithValue(current, key.first, key.second, value);
  if (changed == current)
    return true;
  bool written = kind == EKind::kMissing ? CreateNew(m_path, changed, reason) : WriteInPlace(m_path, changed, reason);
  // What others stored meanwhile is in the file now: the next look reads it.
  m_stamp.reset();
  return written || SaveFailed(reason);
}
