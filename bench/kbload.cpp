// Loading generated libraries of 100 to 800 functions against reading the same files, and one-function libraries whose API header is a pathological megabyte.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/texthelpers.h"
#include "bench/kbgen.h"
#include "bench/kbshapes.h"
#include "knowledge/folderscan.h"
#include "knowledge/knowledgebase.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFunctionsPerSet = 20;

// A library written once per run into a temporary folder.
class CLibraryFolder {
 public:
  explicit CLibraryFolder(const std::string& name) {
    m_folder = fs::temp_directory_path() / ("kivovam-kbload-" + std::to_string(getpid()) + "-" + name);
  }
  ~CLibraryFolder() {
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
  }
  CLibraryFolder(const CLibraryFolder&) = delete;
  CLibraryFolder& operator=(const CLibraryFolder&) = delete;
  const fs::path& Path() const { return m_folder; }
  std::string Folder() const { return m_folder.string(); }

 private:
  fs::path m_folder;
};

const CKivoCfgDesc& Description() {
  static const CKivoCfgDesc* desc = [] {
    auto* loaded = new CKivoCfgDesc;
    loaded->Load(std::string(KV_SOURCE_DIR) + "/conf/kivocfg.ini");
    return loaded;
  }();
  return *desc;
}

// The generated library of `functions` functions (20 per set header, each set
// also listing three of the next), with its shared includes and 5 applications.
const CLibraryFolder& Generated(int functions) {
  static std::map<int, std::unique_ptr<CLibraryFolder>> libraries;
  auto& library = libraries[functions];
  if (!library) {
    library = std::make_unique<CLibraryFolder>("gen" + std::to_string(functions));
    kbgen::WriteLibrary(library->Path(), kbgen::CShape{functions / kFunctionsPerSet, kFunctionsPerSet, 3, 5});
  }
  return *library;
}

void Load(const std::string& folder, benchmark::State& state) {
  std::size_t functions = 0;
  for (auto _ : state) {
    auto sets = std::make_unique<CKivoFSetLib>();
    auto apps = std::make_unique<CKivoFappLib>();
    sets->LoadAll(folder, &Description());
    apps->Scan(folder, &Description());
    functions = sets->Functions().size();
    benchmark::DoNotOptimize(functions);
    // What a load builds lives until the program ends; taking it down is not
    // part of the load.
    state.PauseTiming();
    sets.reset();
    apps.reset();
    state.ResumeTiming();
  }
  state.counters["functions"] = static_cast<double>(functions);
}

// Every file of the library read once, as the load reads it.
void Read(const std::string& folder, benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    CFolderIndex index;
    ScanFolderTree(index, folder, [&](const std::string& path, const std::string&) {
      std::string text;
      ReadTextFile(path, text);
      bytes += text.size();
    });
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_LoadGeneratedLibrary(benchmark::State& state) {
  Load(Generated(static_cast<int>(state.range(0))).Folder(), state);
}

void BM_ReadSameFiles(benchmark::State& state) { Read(Generated(static_cast<int>(state.range(0))).Folder(), state); }

// One set header listing one function whose API header is the shape.
void RegisterShapes() {
  for (const kbshapes::CShape& shape : kbshapes::Shapes()) {
    std::string name;
    for (char c : shape.name)
      name += c == ' ' ? '_' : c;
    auto library = std::make_shared<CLibraryFolder>("shape-" + name);
    kbgen::Write(library->Path() / "kivo_set_x.h", kbshapes::SetHeader());
    kbgen::Write(library->Path() / "kivo_x.h", shape.header);
    benchmark::RegisterBenchmark(("BM_LoadShape/" + name).c_str(), [library](benchmark::State& state) {
      Load(library->Folder(), state);
    })->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

BENCHMARK(BM_LoadGeneratedLibrary)->Arg(100)->Arg(200)->Arg(400)->Arg(800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSameFiles)->Arg(100)->Arg(200)->Arg(400)->Arg(800)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RegisterShapes();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
