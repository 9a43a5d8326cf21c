// The reader of C integer constants against what gcc makes of the same texts, compiled while the test runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "base/cinteger.h"
#include "common/runprocess.h"
#include "common/testsupport.h"

namespace {

struct CLiteralRow {
  const char* text;
  ECInteger status;
  int64_t value;  // when kOk
  // gcc takes the text as an integer expression (-std=c17 -pedantic-errors
  // -Werror). True with a refusal here marks a form refused by choice.
  bool gccTakes;
};

constexpr ECInteger kOk = ECInteger::kOk;
constexpr ECInteger kNone = ECInteger::kNoNumber;
constexpr ECInteger kBad = ECInteger::kMalformed;
constexpr ECInteger kBig = ECInteger::kTooLarge;

const CLiteralRow kRows[] = {
    // The three bases.
    {"0", kOk, 0, true},
    {"16", kOk, 16, true},
    {"0x10", kOk, 16, true},
    {"0X1f", kOk, 31, true},
    {"010", kOk, 8, true},
    {"00", kOk, 0, true},
    {"0777", kOk, 511, true},
    {"08", kBad, 0, false},
    {"0128", kBad, 0, false},
    {"0x", kBad, 0, false},
    {"0xg", kBad, 0, false},
    {"0b101", kBad, 0, false},  // binary is not C17
    // Signs: one, blanks allowed after it, applied in the constant's type.
    {"-1", kOk, -1, true},
    {"+7", kOk, 7, true},
    {"- 1", kOk, -1, true},
    {"-0x10", kOk, -16, true},
    {"-2147483648", kOk, -2147483648LL, true},
    {"-0x80000000", kOk, 2147483648LL, true},  // unsigned int, so the minus wraps
    {"-0xFFFFFFFF", kOk, 1, true},
    {"-1u", kOk, 4294967295LL, true},
    {"-", kNone, 0, false},
    {"--1", kNone, 0, false},
    {"+-1", kNone, 0, true},  // one sign only
    // Blanks around the number.
    {"", kNone, 0, false},
    {"   ", kNone, 0, false},
    {" 12", kOk, 12, true},
    {"12 ", kOk, 12, true},
    {"\t0x10\n", kOk, 16, true},
    {"1 2", kBad, 0, false},
    // Suffixes.
    {"16u", kOk, 16, true},
    {"16U", kOk, 16, true},
    {"16l", kOk, 16, true},
    {"16LL", kOk, 16, true},
    {"16ul", kOk, 16, true},
    {"16LLU", kOk, 16, true},
    {"0x10uL", kOk, 16, true},
    {"16lL", kBad, 0, false},
    {"16uu", kBad, 0, false},
    {"16lul", kBad, 0, false},
    // Past 32 bits, and past 64.
    {"2147483648", kOk, 2147483648LL, true},
    {"0xFFFFFFFF", kOk, 4294967295LL, true},
    {"4294967296", kOk, 4294967296LL, true},
    {"0x100000000", kOk, 4294967296LL, true},
    {"9223372036854775807", kOk, std::numeric_limits<int64_t>::max(), true},
    {"9223372036854775808", kBig, 0, false},
    {"0x8000000000000000", kBig, 0, true},  // an unsigned 64-bit value no signed one holds
    {"18446744073709551616", kBig, 0, false},
    {"0x1FFFFFFFFFFFFFFFF", kBig, 0, false},
    // Not integers, or not one number.
    {"1.5", kBad, 0, false},
    {"1e3", kBad, 0, false},
    {"0x1e+1", kBad, 0, false},
    {"12abc", kBad, 0, false},
    {"abc", kNone, 0, false},
    {"(16)", kNone, 0, true},  // an expression, not a number
};

// gcc from the search path, empty when there is none.
std::string FindGcc() {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    std::filesystem::path candidate = std::filesystem::path(folder.empty() ? "." : folder) / "gcc";
    if (std::filesystem::is_regular_file(candidate))
      return candidate.string();
  }
  return {};
}

// A C source line keeps the text as the compiler would see it; line ends
// become blanks so that each row stays on its own line.
std::string AsSourceText(std::string text) {
  for (char& c : text)
    if (c == '\n')
      c = ' ';
  return text;
}

const char* const kIsInteger =
    "#define IS_INT(x) _Generic((x), int: 1, unsigned: 1, long: 1, unsigned long: 1, "
    "long long: 1, unsigned long long: 1, default: 0)\n";
const std::vector<std::string> kStrict = {"-std=c17", "-pedantic-errors", "-Werror", "-Wall"};

TEST(CInteger, ReadsEachTextAsTheTableSays) {
  for (const CLiteralRow& row : kRows) {
    SCOPED_TRACE(std::string("text '") + row.text + "'");
    CIntegerRead read = ReadCIntegerText(row.text);
    EXPECT_EQ(read.status, row.status);
    int64_t value = 12345;
    EXPECT_EQ(ReadCInteger(row.text, value), row.status == kOk);
    EXPECT_EQ(value, row.status == kOk ? row.value : 12345) << "a refusal leaves the value alone";
  }
}

// Every row the reader takes, and every row refused by choice, compiled into
// one program that prints gcc's value; every row refused alike, one per line
// of a file that gcc must refuse on each of those lines.
TEST(CInteger, TableAgreesWithGcc) {
  std::string gcc = FindGcc();
  if (gcc.empty())
    GTEST_SKIP() << "gcc is not on the search path";
  CTempDir dir;

  std::vector<const CLiteralRow*> taken;
  std::string program = std::string("#include <stdio.h>\n") + kIsInteger + "int main(void) {\n";
  std::vector<const CLiteralRow*> refused;
  std::string refusals = kIsInteger;
  for (const CLiteralRow& row : kRows) {
    std::string text = AsSourceText(row.text);
    if (row.gccTakes) {
      taken.push_back(&row);
      program += "  printf(\"%d %lld\\n\", IS_INT(" + text + "), (long long)(" + text + "));\n";
    } else {
      refused.push_back(&row);
      refusals += "_Static_assert(IS_INT(" + text + "), \"row\");\n";
    }
  }
  program += "  return 0;\n}\n";
  WriteFileBytes(dir / "taken.c", program);
  WriteFileBytes(dir / "refused.c", refusals);

  std::vector<std::string> args = kStrict;
  args.insert(args.end(), {"-o", (dir / "taken").string(), (dir / "taken.c").string()});
  CProcessResult built = RunProcess(gcc, args);
  ASSERT_EQ(built.exitCode, 0) << built.err;
  CProcessResult ran = RunProcess((dir / "taken").string(), {});
  ASSERT_EQ(ran.exitCode, 0);
  std::istringstream lines(ran.out);
  for (const CLiteralRow* row : taken) {
    SCOPED_TRACE(std::string("text '") + row->text + "'");
    int isInteger = 0;
    long long value = 0;
    ASSERT_TRUE(lines >> isInteger >> value);
    EXPECT_EQ(isInteger, 1) << "gcc reads it as an integer";
    if (row->status == kOk) {
      EXPECT_EQ(value, row->value);
    }
  }

  args = kStrict;
  args.insert(args.end(), {"-fsyntax-only", "-fmax-errors=0", (dir / "refused.c").string()});
  CProcessResult checked = RunProcess(gcc, args);
  EXPECT_NE(checked.exitCode, 0);
  // Line 1 holds the macro, so row i stands on line i + 2.
  for (std::size_t i = 0; i < refused.size(); ++i) {
    std::string where = "refused.c:" + std::to_string(i + 2) + ":";
    EXPECT_NE(checked.err.find(where), std::string::npos)
        << "gcc takes '" << refused[i]->text << "', which the table says it refuses";
  }
}

TEST(CInteger, ThirtyTwoBitsHoldTheSignedAndTheUnsignedRangeAndNoMore) {
  struct CRow {
    const char* text;
    bool ok;
    int32_t value;
  } rows[] = {
      {"0xFFFFFFFF", true, -1},
      {"4294967295", true, -1},
      {"0x80000000", true, std::numeric_limits<int32_t>::min()},
      {"-2147483648", true, std::numeric_limits<int32_t>::min()},
      {"2147483647", true, std::numeric_limits<int32_t>::max()},
      {"4294967296", false, 0},
      {"0x100000010", false, 0},  // not its low bits, 16
      {"-2147483649", false, 0},
      {"08", false, 0},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.text);
    int32_t value = 7;
    EXPECT_EQ(ReadCInteger32(row.text, value), row.ok);
    EXPECT_EQ(value, row.ok ? row.value : 7);
  }
}

TEST(CInteger, PrefixEndsWhereTheNumberTokenEnds) {
  struct CRow {
    const char* text;
    ECInteger status;
    int64_t value;
    std::size_t end;
  } rows[] = {
      {"16)", kOk, 16, 2},
      {"0x0F /* mask */", kOk, 15, 4},
      {" - 3, 4", kOk, -3, 4},
      {"08)", kBad, 0, 2},
      {"0x10garbage", kBad, 0, 11},
      {"x1", kNone, 0, 0},
  };
  for (const CRow& row : rows) {
    SCOPED_TRACE(row.text);
    CIntegerRead read = ReadCIntegerPrefix(row.text);
    EXPECT_EQ(read.status, row.status);
    EXPECT_EQ(read.end, row.end);
    if (row.status == kOk) {
      EXPECT_EQ(read.value, row.value);
    }
  }
  EXPECT_TRUE(ReadCIntegerText("-99999999999999999999").negative) << "the side a refused value lies on";
}

}  // namespace
