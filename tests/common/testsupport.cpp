// Shared test helpers.
#include "testsupport.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

std::filesystem::path FixturePath(const std::string& relative) {
  return std::filesystem::path(KV_FIXTURES_DIR) / relative;
}

std::filesystem::path SourcePath(const std::string& relative) {
  return std::filesystem::path(KV_SOURCE_DIR) / relative;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

CTempDir::CTempDir() {
  static std::atomic<int> counter{0};
  std::random_device random;
  m_path = std::filesystem::temp_directory_path() /
           ("kivovam-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
            std::to_string(random()));
  std::filesystem::create_directories(m_path);
}

CTempDir::~CTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void CopySampleProject(const std::filesystem::path& folder) {
  for (const char* name : {"kivo_vam.c", "kivo_vam.h"})
    std::filesystem::copy_file(SourcePath("examples/demo") / name, folder / name);
}
