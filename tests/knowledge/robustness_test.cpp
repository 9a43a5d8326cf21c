// Malformed and oversized inputs: every load ends, reports what it refused and keeps what it could read.
#include <gtest/gtest.h>

#include <random>

#include "knowledge/knowledgebase.h"
#include "common/testsupport.h"

namespace {

constexpr std::size_t kMiB = 1048576;

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// `head` followed by `filler` repeated up to exactly `size` bytes.
std::string Sized(const std::string& head, const std::string& filler, std::size_t size) {
  std::string text = head;
  while (text.size() < size)
    text += filler;
  text.resize(size);
  return text;
}

class RobustnessTest : public ::testing::Test {
 protected:
  int Load() {
    lib.LoadAll(dir.Path().string(), nullptr);
    return static_cast<int>(lib.Sets().size());
  }
  const CKivoFSet* SetNamed(const std::string& fileName) const {
    for (const auto& set : lib.Sets())
      if (set->fileName == fileName)
        return set.get();
    return nullptr;
  }
  CTempDir dir;
  CRecordedPorts ports;
  CKivoFSetLib lib;
};

TEST_F(RobustnessTest, TheOneMebibyteLimitIsInclusive) {
  WriteFileBytes(dir / "kivo_set_limit.h", Sized("/* Function list\n \"A\"\n*/\n", " ", kMiB));
  WriteFileBytes(dir / "kivo_set_over.h", Sized("/* Function list\n \"B\"\n*/\n", " ", kMiB + 1));
  EXPECT_EQ(Load(), 1);
  ASSERT_NE(SetNamed("kivo_set_limit.h"), nullptr);
  EXPECT_EQ(SetNamed("kivo_set_limit.h")->slots.size(), 1u);
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4002});
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "The file '" + (dir / "kivo_set_over.h").string() + "' is too big to be loaded");
}

// Comments that never end, on one line or many, with the heading words
// repeated so that every position starts a new attempt, and long lines of
// heading words that never meet their partner.
TEST_F(RobustnessTest, UnterminatedCommentsOfAMebibyteEndTheirLoad) {
  WriteFileBytes(dir / "kivo_set_one_line.h", Sized("/* Function list ", "list function ", kMiB));
  WriteFileBytes(dir / "kivo_set_lines.h", Sized("/* Function list\n", " \"PWM\n", kMiB));
  WriteFileBytes(dir / "kivo_set_openers.h", Sized("", "/* list function presume setting ", kMiB));
  std::string keywords;
  for (int i = 0; i < 2800; ++i)
    keywords += "list presume ";
  WriteFileBytes(dir / "kivo_set_regions.h", Sized("", "/* " + keywords, kMiB));
  WriteFileBytes(dir / "kivo_set_fine.h", "/* Function list\n \"HUGEAPI\"\n \"OPENERS\"\n*/\n");
  WriteFileBytes(dir / "kivo_hugeapi.h",
                 Sized("void hv_kivo_hugeapi_init(uint8_t mode, uint8_t channel);\n"
                       "/* Load expression x\n",
                       "var v {1..2} channel assignment (mode = 1) load expression mode options\n", kMiB));
  WriteFileBytes(dir / "kivo_hugeapi.c", Sized("/* hv_kivo_hugeapi_init mode - ", "mode - hv_kivo_hugeapi_init ", kMiB));
  std::string headings;
  for (int i = 0; i < 1400; ++i)
    headings += "channel load mode ";
  WriteFileBytes(dir / "kivo_openers.h",
                 Sized("void hv_kivo_openers_init(uint8_t mode);\n", "/* mode options /* Load expression e\n", kMiB / 2) +
                     Sized("", "/* " + headings, kMiB / 2));
  EXPECT_EQ(Load(), 5);
  const CKivoFSet* fine = SetNamed("kivo_set_fine.h");
  ASSERT_NE(fine, nullptr);
  ASSERT_EQ(fine->slots.size(), 2u);
  EXPECT_EQ(fine->slots[0]->initFuncs.size(), 1u);
  EXPECT_EQ(fine->slots[1]->initFuncs.size(), 1u);
  EXPECT_TRUE(SetNamed("kivo_set_one_line.h")->slots.empty());
  EXPECT_TRUE(SetNamed("kivo_set_lines.h")->slots.empty());
  for (const CMessage& message : ports.messages.Messages())
    EXPECT_TRUE(message.id == 9310 || message.id == 4032) << message.id << " " << message.text;
}

TEST_F(RobustnessTest, BinaryGarbageLoadsAsWhatItHappensToContain) {
  for (unsigned seed = 1; seed <= 4; ++seed)
    WriteFileBytes(dir / ("kivo_set_garbage" + std::to_string(seed) + ".h"), Garbage(256 * 1024, seed));
  std::string listed = "/* Function list\n \"NOISE\"\n*/\n";
  WriteFileBytes(dir / "kivo_set_noise.h", listed + Garbage(64 * 1024, 9));
  WriteFileBytes(dir / "kivo_noise.h", Garbage(128 * 1024, 10) + "\nvoid hv_kivo_noise_init(int mode);\n" +
                                           Garbage(128 * 1024, 11));
  WriteFileBytes(dir / "kivo_noise.c", Garbage(128 * 1024, 12));
  WriteFileBytes(dir / "kivo_app_noise.h", Garbage(64 * 1024, 13));
  EXPECT_EQ(Load(), 5);
  const CKivoFSet* noise = SetNamed("kivo_set_noise.h");
  ASSERT_NE(noise, nullptr);
  ASSERT_FALSE(noise->slots.empty());
  EXPECT_EQ(noise->slots[0]->name, "NOISE");
  EXPECT_EQ(noise->slots[0]->hasApi, 1);
  CKivoFappLib apps;
  EXPECT_EQ(apps.Scan(dir.Path().string(), nullptr), 1);
  EXPECT_EQ(apps.Apps()[0]->hasApi, 0);
}

TEST_F(RobustnessTest, SelfReferencesInIncludesGroupsAndExpressionsEnd) {
  WriteFileBytes(dir / "kivo_set_self.h", "#include \"kivo_set_self.h\"\n/* Function list\n \"SELF\"\n*/\n");
  WriteFileBytes(dir / "kivo_self.h",
                 "#include \"kivo_self.h\"\n#include \"sub/other.h\"\n"
                 "/* Load expression self\nexpression = self * 2 + other_load\n*/\n"
                 "/* Load expression other_load\nexpression = self\n*/\n"
                 "/* Channel assignment (default) Load: self\nself = channel\nchannel = self\n*/\n"
                 "void hv_kivo_self_init(uint8_t channel, self_t self, uint8_t level);\n");
  WriteFileBytes(dir / "sub/other.h", "#include \"kivo_self.h\"\n#include \"other.h\"\n");
  EXPECT_EQ(Load(), 1);
  const CKivoFunc& self = *lib.Functions()[0];
  ASSERT_EQ(self.initFuncs.size(), 1u);
  EXPECT_EQ(self.loadExprs.size(), 2u);
  EXPECT_EQ(self.FindLoadExpr("self")->exprText, "self = self * 2 + other_load");
  ASSERT_EQ(self.initFuncs[0]->chanAssigns.size(), 1u);
  EXPECT_EQ(self.initFuncs[0]->chanAssigns[0]->chanVars, (std::vector<std::string>{"self", "channel"}));
  EXPECT_EQ(self.initFuncs[0]->params[1]->varDef, nullptr);
  EXPECT_TRUE(ports.messages.Messages().empty());
}

TEST_F(RobustnessTest, NamesWithPatternCharactersStandForThemselves) {
  WriteFileBytes(dir / "kivo_set_odd.h", "/* Function list\n \"P(W)M+ - odd\"\n \"[x]\"\n*/\n");
  WriteFileBytes(dir / "kivo_p(w)m+.h", "void hv_kivo_p(w)m+_init(uint8_t mode);\nvoid hv_kivo_pwm_init(int a);\n");
  EXPECT_EQ(Load(), 1);
  ASSERT_EQ(lib.Functions().size(), 2u);
  const CKivoFunc& odd = *lib.Functions()[0];
  EXPECT_EQ(odd.name, "P(W)M+");
  ASSERT_EQ(odd.initFuncs.size(), 1u);
  EXPECT_EQ(odd.initFuncs[0]->name, "hv_kivo_p(w)m+_init");
  EXPECT_TRUE(ports.messages.Messages().empty());
}

}  // namespace
