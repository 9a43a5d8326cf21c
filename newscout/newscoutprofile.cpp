// Reading version-check profiles, and the newer-package decision.
#include "newscout/newscoutprofile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <thread>

#include "base/messagecatalog.h"
#include "newscout/newscouttexts.h"
#include "newscout/profilecipher.h"

namespace {

// Little-endian archive reading that never reads past the end of the bytes.
class CArchiveReader {
 public:
  explicit CArchiveReader(std::string_view bytes) : m_bytes(bytes) {}

  std::optional<std::uint32_t> Unsigned(std::size_t width) {
    if (m_bytes.size() - m_pos < width)
      return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
      value |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_bytes[m_pos + i])) << (8 * i);
    m_pos += width;
    return value;
  }

  std::optional<std::int32_t> Int32() {
    auto value = Unsigned(4);
    if (!value)
      return std::nullopt;
    return static_cast<std::int32_t>(*value);
  }

  // A byte array: a 16-bit count, or 0xFFFF and a 32-bit count, then the bytes.
  // A count beyond the bytes that are left is a format error.
  std::optional<std::string_view> ByteArray() {
    auto count = Unsigned(2);
    if (count && *count == 0xFFFF)
      count = Unsigned(4);
    if (!count || *count > m_bytes.size() - m_pos)
      return std::nullopt;
    std::string_view data = m_bytes.substr(m_pos, *count);
    m_pos += *count;
    return data;
  }

 private:
  std::string_view m_bytes;
  std::size_t m_pos = 0;
};

std::string SystemErrorText(int error) {
  char buffer[256];
  // The GNU form returns its text, which need not be the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

// The whole file, or why not. A FIFO, a device or a folder is refused before
// it is opened, since opening or reading one may block for ever; the check is
// repeated on what was opened, in case the path was swapped in between.
std::optional<std::string> ReadWholeFile(const std::string& path, EProfileError& error, std::string& detail) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    error = EProfileError::NotOpened;
    detail = SystemErrorText(errno);
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    error = EProfileError::NotAFile;
    return std::nullopt;
  }
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = EProfileError::NotOpened;
    detail = SystemErrorText(errno);
    return std::nullopt;
  }
  std::string bytes;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = EProfileError::NotAFile;
    close(fd);
    return std::nullopt;
  }
  char buffer[4096];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      error = EProfileError::NotOpened;
      detail = SystemErrorText(errno);
      close(fd);
      return std::nullopt;
    }
    if (got == 0)
      break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > CNewscoutProfile::kMaxProfileBytes) {
      error = EProfileError::TooLarge;
      close(fd);
      return std::nullopt;
    }
  }
  close(fd);
  return bytes;
}

void WaitBeforeRetry() {
  static std::minstd_rand random{std::random_device{}()};
  std::uniform_int_distribution<int> r(0, 15);
  std::this_thread::sleep_for(std::chrono::milliseconds(10 + 10 * r(random)));
}

}  // namespace

bool CNewscoutProfile::ReadProfileBytes(std::string_view bytes) { return DecodeProfile(bytes) == EProfileError::None; }

EProfileError CNewscoutProfile::DecodeProfile(std::string_view bytes) {
  CArchiveReader reader(bytes);
  auto formatVersion = reader.Int32();
  if (!formatVersion || *formatVersion < 1)
    return EProfileError::Damaged;
  std::string texts[5];
  for (std::string& text : texts) {
    auto stored = reader.ByteArray();
    if (!stored)
      return EProfileError::Damaged;
    text = CProfileCipher::ProfileKey().DecryptText(*stored);
  }
  int manual = 0;
  if (*formatVersion >= 2) {
    auto value = reader.Int32();
    if (!value)
      return EProfileError::Damaged;
    manual = *value;
  }
  // With another key the texts decrypt to noise; shown or sent to a server,
  // that noise would be taken for a product name and an address.
  for (const std::string& text : texts) {
    if (!IsPrintableText(text))
      return EProfileError::OtherKey;
  }
  productName = std::move(texts[0]);
  registryKeyPath = std::move(texts[1]);
  serverHost = std::move(texts[2]);
  objectPath = std::move(texts[3]);
  downloadLink = std::move(texts[4]);
  manualOnly = manual;
  return EProfileError::None;
}

bool CNewscoutProfile::LoadProfile(const std::string& path) {
  m_loadError = EProfileError::NoPath;
  m_loadDetail.clear();
  if (path.empty())
    return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0)
      WaitBeforeRetry();
    m_loadDetail.clear();
    auto bytes = ReadWholeFile(path, m_loadError, m_loadDetail);
    if (bytes)
      m_loadError = DecodeProfile(*bytes);
    if (m_loadError == EProfileError::None)
      return true;
    // Only a file that an installer may be writing right now is worth another look.
    if (m_loadError != EProfileError::NotOpened && m_loadError != EProfileError::Damaged)
      return false;
  }
  return false;
}

std::string CNewscoutProfile::LoadErrorText() const {
  switch (m_loadError) {
    case EProfileError::None: return {};
    case EProfileError::NoPath: return NsCatalogText(NsText::kProfileNotFound);
    case EProfileError::NotAFile: return NsCatalogText(NsText::kProfileNotAFile);
    case EProfileError::NotOpened: return FormatMessageText(NsCatalogText(NsText::kProfileNotOpened), {m_loadDetail});
    case EProfileError::Damaged: return NsCatalogText(NsText::kProfileDamaged);
    case EProfileError::OtherKey: return NsCatalogText(NsText::kProfileOtherKey);
    case EProfileError::TooLarge: return NsCatalogText(NsText::kProfileTooLarge);
  }
  return {};
}

std::string CNewscoutProfile::ProfileBytes(int formatVersion) const {
  std::string bytes;
  auto put = [&bytes](std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
      bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(static_cast<std::uint32_t>(formatVersion), 4);
  for (const std::string* text : {&productName, &registryKeyPath, &serverHost, &objectPath, &downloadLink}) {
    std::string stored = CProfileCipher::ProfileKey().EncryptText(*text);
    if (stored.size() < 0xFFFF) {
      put(static_cast<std::uint32_t>(stored.size()), 2);
    } else {
      put(0xFFFF, 2);
      put(static_cast<std::uint32_t>(stored.size()), 4);
    }
    bytes += stored;
  }
  if (formatVersion >= 2)
    put(static_cast<std::uint32_t>(manualOnly), 4);
  return bytes;
}

bool CNewscoutProfile::IsNewer(std::uint32_t size, const CNewscoutDate& date, bool honourIgnore) const {
  if (size == packageSize)
    return false;
  if (honourIgnore && !date.IsLaterThan(ignoreDate))
    return false;
  return date.IsLaterThan(packageDate);
}
