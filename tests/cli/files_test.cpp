// kivovam-cli against files that are not what they should be: templates and INI files that do not read, FIFOs, links, --force.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";
constexpr const char* kDemoEpoch = "1796733629";  // the stamp the sample project carries

// Every run is bounded: a read that blocks on a FIFO shows as exit 124.
CProcessResult Cli(std::vector<std::string> args, const std::string& conf) {
  args.insert(args.begin(), {"20", kCli, "--conf", conf, "--fsets", SourcePath("fsets").string()});
  return RunProcess("/usr/bin/timeout", args);
}

json Report(const CProcessResult& result) {
  json report = json::parse(result.out, nullptr, false);
  EXPECT_TRUE(report.is_object()) << result.out << result.err;
  return report.is_object() ? report : json::object();
}

std::string AllTexts(const json& report) {
  std::string texts;
  if (report.contains("messages") && report["messages"].is_array())
    for (const json& message : report["messages"])
      texts += message.value("text", "") + "\n";
  return texts;
}

// A copy of the sample project and of the configuration folder, to break.
class CScratch {
 public:
  CScratch() {
    fs::create_directory(dir / "demo");
    CopySampleProject(dir / "demo");
    fs::create_directory(dir / "conf");
    for (const auto& entry : fs::directory_iterator(SourcePath("conf")))
      fs::copy_file(entry.path(), dir / "conf" / entry.path().filename());
    source = ReadFileBytes(Demo() / "kivo_vam.c");
    header = ReadFileBytes(Demo() / "kivo_vam.h");
  }
  fs::path Demo() const { return dir / "demo"; }
  fs::path ConfFile(const std::string& name) const { return dir / "conf" / name; }
  std::string Conf() const { return (dir / "conf").string(); }
  bool DemoUnchanged() const {
    return ReadFileBytes(Demo() / "kivo_vam.c") == source && ReadFileBytes(Demo() / "kivo_vam.h") == header;
  }
  void Replace(const std::string& name, const std::function<void(const fs::path&)>& make) const {
    fs::remove(ConfFile(name));
    make(ConfFile(name));
  }

  CTempDir dir;
  std::string source, header;
};

void MakeFolder(const fs::path& path) { fs::create_directory(path); }
void MakeFifo(const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }
void MakeZeroLink(const fs::path& path) { fs::create_symlink("/dev/zero", path); }
void MakeHuge(const fs::path& path) { WriteFileBytes(path, std::string(1024 * 1024 + 1, '\n')); }

struct CBadFile {
  const char* name;
  const char* file;
  std::function<void(const fs::path&)> make;
  const char* says;  // what the message says about the file
};

// A save whose template does not read writes nothing: neither `generate` over
// the project nor `new` into a fresh folder leaves a file, empty or not.
TEST(CliFiles, ATemplateThatDoesNotReadFailsTheSaveAndWritesNothing) {
  const CBadFile rows[] = {
      {"source template a folder", "template._c", MakeFolder, "is a folder"},
      {"header template a link to /dev/zero", "template._h", MakeZeroLink, "is a device"},
      {"source template a FIFO", "template._c", MakeFifo, "is a FIFO"},
      {"source template over 1 MiB", "template._c", MakeHuge, "too big"},
  };
  for (const CBadFile& row : rows) {
    SCOPED_TRACE(row.name);
    CScratch scratch;
    scratch.Replace(row.file, row.make);
    CProcessResult generated = Cli({"--json", "generate", scratch.Demo().string()}, scratch.Conf());
    EXPECT_EQ(generated.exitCode, 1) << generated.err;
    EXPECT_TRUE(scratch.DemoUnchanged());
    json report = Report(generated);
    EXPECT_EQ(report["ok"], false);
    std::string texts = AllTexts(report);
    EXPECT_NE(texts.find(scratch.ConfFile(row.file).string()), std::string::npos) << texts;
    EXPECT_NE(texts.find(row.says), std::string::npos) << texts;

    const fs::path fresh = scratch.dir / "fresh";
    fs::create_directory(fresh);
    CProcessResult made = Cli({"--quiet", "-CPU=Omiro Q32", "new", "-o", fresh.string()}, scratch.Conf());
    EXPECT_EQ(made.exitCode, 1);
    EXPECT_TRUE(fs::is_empty(fresh));
  }
}

// INI files and the notes template are read through the same reader: a FIFO
// fails at once instead of waiting for a writer that never comes.
TEST(CliFiles, FifosAndDevicesInTheConfigurationFolderFailWithoutWaiting) {
  const CBadFile rows[] = {
      {"processor database a FIFO", "kivocpu.ini", MakeFifo, "is a FIFO"},
      {"engine description a link to /dev/zero", "kivocfg.ini", MakeZeroLink, "is a device"},
      {"engine description over 1 MiB", "kivocfg.ini", MakeHuge, "too big"},
  };
  for (const CBadFile& row : rows) {
    SCOPED_TRACE(row.name);
    CScratch scratch;
    scratch.Replace(row.file, row.make);
    CProcessResult loaded = Cli({"--json", "kb"}, scratch.Conf());
    EXPECT_EQ(loaded.exitCode, 3) << loaded.err;
    std::string texts = AllTexts(Report(loaded));
    EXPECT_NE(texts.find(scratch.ConfFile(row.file).string()), std::string::npos) << texts;
    EXPECT_NE(texts.find(row.says), std::string::npos) << texts;
  }

  CScratch scratch;
  scratch.Replace("pnotes.htm", MakeFifo);
  CProcessResult notes = Cli({"--json", "notes", scratch.Demo().string()}, scratch.Conf());
  EXPECT_EQ(notes.exitCode, 1) << notes.err;
  EXPECT_EQ(Report(notes)["html"], nullptr);
  EXPECT_NE(AllTexts(Report(notes)).find("is a FIFO"), std::string::npos);
}

// `notes -o` replaces a regular file whole and refuses a FIFO, which an
// ordinary open for writing would wait on for ever.
TEST(CliFiles, NotesOutputReplacesOnlyARegularFile) {
  CScratch scratch;
  const fs::path page = scratch.dir / "notes.html";
  WriteFileBytes(page, "old page");
  ASSERT_EQ(Cli({"--quiet", "notes", scratch.Demo().string(), "-o", page.string()}, scratch.Conf()).exitCode, 0);
  EXPECT_NE(ReadFileBytes(page).find("<html"), std::string::npos);

  const fs::path fifo = scratch.dir / "pipe.html";
  MakeFifo(fifo);
  CProcessResult refused = Cli({"notes", scratch.Demo().string(), "-o", fifo.string()}, scratch.Conf());
  EXPECT_EQ(refused.exitCode, 1) << refused.err;
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_NE(refused.err.find(fifo.string() + "': is a FIFO"), std::string::npos) << refused.err;
}

// A project whose source is a link into another tree keeps its header beside
// the link: the header is read and written there, the source still includes it
// by its name, and the link stays a link. A pair kept entirely as links keeps
// the include its source already has.
TEST(CliFiles, AProjectGivenThroughALinkKeepsItsHeaderBesideTheLink) {
  CScratch scratch;
  const fs::path store = scratch.dir / "store";
  fs::create_directory(store);
  fs::rename(scratch.Demo() / "kivo_vam.c", store / "motor.c");
  fs::create_symlink(store / "motor.c", scratch.Demo() / "kivo_vam.c");
  setenv("SOURCE_DATE_EPOCH", kDemoEpoch, 1);
  CProcessResult shown = Cli({"--json", "--quiet", "show", scratch.Demo().string()}, scratch.Conf());
  CProcessResult generated = Cli({"--json", "generate", scratch.Demo().string()}, scratch.Conf());
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(shown.exitCode, 0) << shown.out;
  EXPECT_EQ(Report(shown)["header"], (scratch.Demo() / "kivo_vam.h").string());
  ASSERT_EQ(generated.exitCode, 0) << generated.out;
  EXPECT_EQ(Report(generated)["header"], (scratch.Demo() / "kivo_vam.h").string());
  EXPECT_TRUE(fs::is_symlink(scratch.Demo() / "kivo_vam.c"));
  EXPECT_FALSE(fs::exists(store / "motor.h"));
  EXPECT_EQ(ReadFileBytes(store / "motor.c"), scratch.source) << "regenerated byte for byte";
  EXPECT_EQ(ReadFileBytes(scratch.Demo() / "kivo_vam.h"), scratch.header);

  // Both files links, the source including the header by its own name there.
  const fs::path board = scratch.dir / "board";
  fs::create_directory(board);
  std::string boardSource = scratch.source;
  boardSource.replace(boardSource.find("#include \"kivo_vam.h\""), 21, "#include \"board.h\"");
  WriteFileBytes(board / "board.c", boardSource);
  WriteFileBytes(board / "board.h", scratch.header);
  const fs::path links = scratch.dir / "links";
  fs::create_directory(links);
  fs::create_symlink(board / "board.c", links / "kivo_vam.c");
  fs::create_symlink(board / "board.h", links / "kivo_vam.h");
  CProcessResult linked = Cli({"--quiet", "generate", links.string()}, scratch.Conf());
  EXPECT_EQ(linked.exitCode, 0) << linked.err;
  EXPECT_NE(ReadFileBytes(board / "board.c").find("#include \"board.h\""), std::string::npos);
  EXPECT_EQ(ReadFileBytes(board / "board.c").find("#include \"kivo_vam.h\""), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(links / "kivo_vam.h"));
}

// --force saves a project whose clock is above its processor's limit, and
// still reports the finding; without it nothing is written.
TEST(CliFiles, ForceSavesAProjectWhoseClockIsAboveTheLimit) {
  CScratch scratch;
  std::string fast = scratch.source;
  const std::string clock = "SYSCLK         = 150 MHz";
  ASSERT_NE(fast.find(clock), std::string::npos);
  fast.replace(fast.find(clock), clock.size(), "SYSCLK         = 400 MHz");
  WriteFileBytes(scratch.Demo() / "kivo_vam.c", fast);
  scratch.source = fast;

  CProcessResult refused = Cli({"--json", "generate", scratch.Demo().string()}, scratch.Conf());
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(scratch.DemoUnchanged());

  setenv("SOURCE_DATE_EPOCH", "86400", 1);
  CProcessResult forced = Cli({"--json", "generate", scratch.Demo().string(), "--force"}, scratch.Conf());
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(forced.exitCode, 0) << forced.out;
  json report = Report(forced);
  EXPECT_EQ(report["ok"], true);
  ASSERT_EQ(report["messages"].size(), 1u) << forced.out;
  EXPECT_EQ(report["messages"][0]["id"], 4035);
  for (const char* name : {"kivo_vam.c", "kivo_vam.h"})
    EXPECT_NE(ReadFileBytes(scratch.Demo() / name).find("Jan  2 00:00:00 1970"), std::string::npos) << name;
  EXPECT_NE(ReadFileBytes(scratch.Demo() / "kivo_vam.c").find("SYSCLK         = 400 MHz"), std::string::npos);
}

}  // namespace
