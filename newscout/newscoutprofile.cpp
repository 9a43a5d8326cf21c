// Reading version-check profiles, and the newer-package decision.
#include "newscout/newscoutprofile.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <random>
#include <thread>

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

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::string bytes;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > CNewscoutProfile::kMaxProfileBytes)
      return std::nullopt;
  }
  if (in.bad())
    return std::nullopt;
  return bytes;
}

void WaitBeforeRetry() {
  static std::minstd_rand random{std::random_device{}()};
  std::uniform_int_distribution<int> r(0, 15);
  std::this_thread::sleep_for(std::chrono::milliseconds(10 + 10 * r(random)));
}

}  // namespace

bool CNewscoutProfile::ReadProfileBytes(std::string_view bytes) {
  CArchiveReader reader(bytes);
  auto formatVersion = reader.Int32();
  if (!formatVersion || *formatVersion < 1)
    return false;
  std::string texts[5];
  for (std::string& text : texts) {
    auto stored = reader.ByteArray();
    if (!stored)
      return false;
    text = CProfileCipher::ProfileKey().DecryptText(*stored);
  }
  int manual = 0;
  if (*formatVersion >= 2) {
    auto value = reader.Int32();
    if (!value)
      return false;
    manual = *value;
  }
  productName = std::move(texts[0]);
  registryKeyPath = std::move(texts[1]);
  serverHost = std::move(texts[2]);
  objectPath = std::move(texts[3]);
  downloadLink = std::move(texts[4]);
  manualOnly = manual;
  return true;
}

bool CNewscoutProfile::LoadProfile(const std::string& path) {
  if (path.empty())
    return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0)
      WaitBeforeRetry();
    auto bytes = ReadWholeFile(path);
    if (bytes && ReadProfileBytes(*bytes))
      return true;
  }
  return false;
}

bool CNewscoutProfile::IsNewer(std::uint32_t size, const CNewscoutDate& date, bool honourIgnore) const {
  if (size == packageSize)
    return false;
  if (honourIgnore && !date.IsLaterThan(ignoreDate))
    return false;
  return date.IsLaterThan(packageDate);
}
