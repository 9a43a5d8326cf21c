// Profiles written as the maker's tool writes them read back; damaged ones fail, and the program says so once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "common/testsupport.h"
#include "newscout/newscoutapp.h"
#include "newscout/newscouttexts.h"
#include "newscout/profilecipher.h"
#include "nstestsupport.h"

namespace {

std::string FromHex(const char* hex) {
  std::string bytes;
  for (; hex[0] && hex[1]; hex += 2)
    bytes += static_cast<char>(std::stoi(std::string(hex, 2), nullptr, 16));
  return bytes;
}

TEST(ProfileCipherTest, DecryptsTheStandardExampleBlockByBlock) {
  CProfileCipher::CKey key{};
  for (unsigned char i = 0; i < 16; ++i)
    key[i] = i;
  CProfileCipher cipher(key);
  std::string block = FromHex("69c4e0d86a7b0430d8cdb78070b4c55a");
  std::string plain = FromHex("00112233445566778899aabbccddeeff");
  // Two equal blocks decrypt alike (each on its own), a tail of less than a block is dropped.
  EXPECT_EQ(cipher.DecryptBlocks(block + block + "tail"), plain + plain);
  EXPECT_EQ(cipher.DecryptBlocks("short"), "");
}

// Five different texts of one length, so that a mixed-up order shows.
CProfileTexts TextsOfLength(std::size_t length) {
  auto text = [length](char first) {
    std::string t;
    for (std::size_t i = 0; i < length; ++i)
      t += static_cast<char>(first + i % 20);
    return t;
  };
  return {text('A'), text('a'), text('0'), text('/'), text('K')};
}

struct CRoundTrip {
  const char* name;
  int formatVersion;
  std::size_t length;
  int manualOnly;
};

class ProfileRoundTripTest : public ::testing::TestWithParam<CRoundTrip> {};

TEST_P(ProfileRoundTripTest, ReadsBackWhatWasWritten) {
  const CRoundTrip& c = GetParam();
  CTempDir dir;
  CProfileTexts texts = TextsOfLength(c.length);
  WriteFileBytes(dir / "kivovam.nsp", ProfileBytes(c.formatVersion, texts, c.manualOnly));

  CNewscoutProfile profile;
  ASSERT_TRUE(profile.LoadProfile((dir / "kivovam.nsp").string()));
  EXPECT_EQ(profile.productName, texts.productName);
  EXPECT_EQ(profile.registryKeyPath, texts.registryKeyPath);
  EXPECT_EQ(profile.serverHost, texts.serverHost);
  EXPECT_EQ(profile.objectPath, texts.objectPath);
  EXPECT_EQ(profile.downloadLink, texts.downloadLink);
  EXPECT_EQ(profile.manualOnly, c.formatVersion >= 2 ? c.manualOnly : 0);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileRoundTripTest,
                         ::testing::Values(CRoundTrip{"Format1Empty", 1, 0, 0}, CRoundTrip{"Format1Text15", 1, 15, 0},
                                           CRoundTrip{"Format2Text16", 2, 16, 1}, CRoundTrip{"Format2Text31", 2, 31, 0},
                                           CRoundTrip{"LaterFormatReadsAsFormat2", 3, 5, 1},
                                           CRoundTrip{"TextBeyondTheShortCount", 2, 70000, 0}),
                         CRowName());

struct CDamage {
  const char* name;
  std::function<std::string(std::string)> damage;
};

class DamagedProfileTest : public ::testing::TestWithParam<CDamage> {};

TEST_P(DamagedProfileTest, FailsWithMessage4000AndNothingElse) {
  CTempDir dir;
  std::string path = (dir / "kivovam.nsp").string();
  std::string bytes = GetParam().damage(ProfileBytes(2, TextsOfLength(12), 1));
  WriteFileBytes(path, bytes);

  CNewscoutProfile profile;
  profile.productName = "before";
  EXPECT_FALSE(profile.ReadProfileBytes(bytes));
  EXPECT_EQ(profile.productName, "before");

  CRecordedPorts ports;
  CScriptedUi ui;
  CNewscoutApp app(ui);
  EXPECT_EQ(app.Run(CNewscoutCommandLine::Parse({"/force", path}), dir.Path().string()), 1);
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4000});
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Could not load Newscout profile '" + path + "'.\n" + NsCatalogText(NsText::kProfileDamaged));
  EXPECT_TRUE(ui.events.empty());
}

std::string Patched(std::string bytes, std::size_t at, const std::string& with) {
  return bytes.replace(at, with.size(), with);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedProfileTest,
    ::testing::Values(
        CDamage{"Empty", [](std::string) { return std::string(); }},
        CDamage{"OnlyTheFormatVersion", [](std::string b) { return b.substr(0, 4); }},
        CDamage{"CutInsideAText", [](std::string b) { return b.substr(0, 4 + 2 + 10); }},
        CDamage{"WithoutTheManualFlag", [](std::string b) { return b.substr(0, b.size() - 4); }},
        CDamage{"CountBeyondTheFile", [](std::string b) { return Patched(b, 4, "\xFF\xFF\xFF\xFF\xFF\x7F"); }},
        CDamage{"ShortCountBeyondTheFile", [](std::string b) { return Patched(b, 4, "\xF0\xFF"); }},
        CDamage{"FormatVersionZero", [](std::string b) { return Patched(b, 0, std::string(4, '\0')); }},
        CDamage{"NegativeFormatVersion", [](std::string b) { return Patched(b, 0, "\xFF\xFF\xFF\xFF"); }}),
    CRowName());

struct CUnreadable {
  const char* name;
  std::function<std::string(const CTempDir&)> make;  // returns the path
  EProfileError error;
};

class UnreadableProfileTest : public ::testing::TestWithParam<CUnreadable> {};

// Refused at once, without retries, and with the reason in the message. A
// FIFO that nobody writes would block the reader for ever.
TEST_P(UnreadableProfileTest, IsRefusedAtOnceWithItsReason) {
  CTempDir dir;
  std::string path = GetParam().make(dir);
  CNewscoutProfile profile;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(profile.LoadProfile(path));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
  EXPECT_EQ(profile.LoadError(), GetParam().error);
  EXPECT_EQ(profile.productName, "");

  CRecordedPorts ports;
  CScriptedUi ui;
  CNewscoutApp app(ui);
  EXPECT_EQ(app.Run(CNewscoutCommandLine::Parse({"/force", path}), dir.Path().string()), 1);
  ASSERT_EQ(ports.messages.Ids(), std::vector<int>{4000});
  EXPECT_EQ(ports.messages.Messages()[0].text,
            "Could not load Newscout profile '" + path + "'.\n" + profile.LoadErrorText());
}

std::string WrittenWithAnotherKey(const CTempDir& dir) {
  // The texts of a readable profile, decrypted with a wrong key: what a
  // profile made with another key looks like to this checker.
  std::string bytes = ProfileBytes(2, {"Kivo Vam", "Software\\Halvora\\KivoVam", "updates.example.invalid",
                                       "/kivovam.upd", "https://example.invalid/"});
  for (std::size_t i = 6; i < 22; ++i)  // the product name's block
    bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  WriteFileBytes(dir / "other.nsp", bytes);
  return (dir / "other.nsp").string();
}

INSTANTIATE_TEST_SUITE_P(
    Unreadable, UnreadableProfileTest,
    ::testing::Values(CUnreadable{"Fifo",
                                  [](const CTempDir& dir) {
                                    std::string path = (dir / "fifo.nsp").string();
                                    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
                                    return path;
                                  },
                                  EProfileError::NotAFile},
                      CUnreadable{"Folder", [](const CTempDir& dir) { return dir.Path().string(); },
                                  EProfileError::NotAFile},
                      CUnreadable{"Device", [](const CTempDir&) { return std::string("/dev/zero"); },
                                  EProfileError::NotAFile},
                      CUnreadable{"OtherKey", WrittenWithAnotherKey, EProfileError::OtherKey}),
    CRowName());

TEST(ProfileLoadTest, MissingProfileIsReportedOnlyOnRequest) {
  CTempDir dir;
  CRecordedPorts ports;
  CScriptedUi ui;
  EXPECT_EQ(CNewscoutApp(ui).Run(CNewscoutCommandLine::Parse({}), dir.Path().string()), 1);
  EXPECT_TRUE(ports.messages.Ids().empty());
  EXPECT_EQ(CNewscoutApp(ui).Run(CNewscoutCommandLine::Parse({"/noupdmsg"}), dir.Path().string()), 1);
  EXPECT_EQ(ports.messages.Ids(), std::vector<int>{4000});
}

// The fuzzer starts from these; a seed the reader refuses would keep it out of the texts.
TEST(ProfileLoadTest, FuzzSeedsAreReadableProfiles) {
  for (const char* name : {"version1", "version2"}) {
    SCOPED_TRACE(name);
    CNewscoutProfile profile;
    EXPECT_TRUE(profile.ReadProfileBytes(ReadFileBytes(SourcePath(std::string("fuzz/seeds/nsprofile/") + name))));
    EXPECT_FALSE(profile.serverHost.empty());
    EXPECT_FALSE(profile.objectPath.empty());
  }
}

}  // namespace
