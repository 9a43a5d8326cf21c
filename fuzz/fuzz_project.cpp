// Fuzz target of the project reader: a source and header pair, split from one input, opened against the bundled data.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "knowledge/knowledgebase.h"
#include "project/projdoc.h"

namespace {

// Generated projects name the bundled processors and function sets, so those
// are what the reader must match an input against. Loaded once: reading the
// library takes far longer than reading one project.
const CKnowledgeBase& BundledKb() {
  static const CKnowledgeBase* kb = [] {
    auto* loaded = new CKnowledgeBase;
    const std::string source = KV_FUZZ_SOURCE_DIR;
    loaded->cfgDesc.Load(source + "/conf/kivocfg.ini");
    loaded->cpuDb.Load(source + "/conf/kivocpu.ini");
    loaded->functionSetFolder = source + "/fsets";
    loaded->fsetLib.LoadAll(loaded->functionSetFolder, &loaded->cfgDesc);
    loaded->fappLib.Scan(loaded->functionSetFolder, &loaded->cfgDesc);
    return loaded;
  }();
  return *kb;
}

// The reader takes paths, so each input is written to a folder of this
// process, removed again when the run ends.
class CWorkFolder {
 public:
  CWorkFolder()
      : m_path(std::filesystem::temp_directory_path() / ("kivovam-fuzz-project-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(m_path);
  }
  ~CWorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  CWorkFolder(const CWorkFolder&) = delete;
  CWorkFolder& operator=(const CWorkFolder&) = delete;
  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

const std::filesystem::path& WorkFolder() {
  static const CWorkFolder folder;
  return folder.Path();
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string SavedText(CProjDoc& doc, const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const std::filesystem::path cPath = folder / "kivo_vam.c";
  if (!doc.OnSaveDocument(cPath.string()))
    __builtin_trap();
  std::ifstream source(cPath, std::ios::binary), header(folder / "kivo_vam.h", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
  text += '\0';
  text.append(std::istreambuf_iterator<char>(header), std::istreambuf_iterator<char>());
  // The bundled templates stamp the time of the save, which is no part of the project.
  for (std::size_t stamp = text.find("Generated on "); stamp != std::string::npos;
       stamp = text.find("Generated on ", stamp + 1))
    text.erase(stamp, text.find('\n', stamp) - stamp);
  return text;
}

}  // namespace

// The input is the source, then a NUL byte and the header. A project that
// opens must survive saves and reopens: once the first save has written the
// project in the tool's own shapes (an empty value becomes 0, say), a further
// save writes the same again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto [source, header] = SplitAtNul(InputText(data, size));
  const std::filesystem::path cPath = WorkFolder() / "kivo_vam.c";
  WriteBytes(cPath, source);
  WriteBytes(WorkFolder() / "kivo_vam.h", header);
  CProjDoc doc(BundledKb());
  if (!doc.OnOpenDocument(cPath.string()))
    return 0;
  SavedText(doc, WorkFolder() / "first");
  std::string saved[2];
  const char* from[2] = {"first", "second"};
  const char* to[2] = {"second", "third"};
  for (int i = 0; i < 2; ++i) {
    CProjDoc reopened(BundledKb());
    if (!reopened.OnOpenDocument((WorkFolder() / from[i] / "kivo_vam.c").string()))
      __builtin_trap();
    saved[i] = SavedText(reopened, WorkFolder() / to[i]);
  }
  if (saved[0] != saved[1])
    __builtin_trap();
  return 0;
}
