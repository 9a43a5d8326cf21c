// Application headers: names from file names, used functions, availability in a set and lookups.
#include <gtest/gtest.h>

#include "kbfixture.h"
#include "knowledge/kbtext.h"

namespace {

using FappLibTest = CKbFixture;

TEST_F(FappLibTest, ApplicationHeadersAreFoundInScanOrderAndNamedAfterTheirFile) {
  std::vector<std::string> found;
  for (const auto& app : kb.fappLib.Apps())
    found.push_back(RelativeToFolder(app->path, kb.functionSetFolder) + "=" + app->name);
  EXPECT_EQ(found, (std::vector<std::string>{"kivo_app_comma.h=app_comma", "kivo_app_missing.h=app_missing",
                                             "kivo_app_motor.h=app_motor", "kivo_app_noinit.h=app_noinit",
                                             "sub/kivo_app_motor.h=app_motor"}));
  const CKivoFapp& motor = App("kivo_app_motor.h");
  EXPECT_EQ(motor.title, "Motor control");
  EXPECT_EQ(motor.owner, nullptr);
  EXPECT_EQ(motor.library, &kb.fappLib);
  EXPECT_EQ(motor.FunctionNumber(), -1);
  EXPECT_EQ(motor.apiHeaderRelPath, "kivo_app_motor.h");
  EXPECT_EQ(App("sub/kivo_app_motor.h").initFuncs[0]->name, "hv_kivo_app_motor_finit");
}

TEST_F(FappLibTest, UsedFunctionsAreTheTokensOfTheUsedComment) {
  EXPECT_EQ(App("kivo_app_motor.h").usedFunctions, (std::vector<std::string>{"PWM", "ppa"}));
  EXPECT_EQ(App("kivo_app_comma.h").usedFunctions, (std::vector<std::string>{"PWM", ""}));
  EXPECT_EQ(App("kivo_app_missing.h").usedFunctions, (std::vector<std::string>{"PWM", "QOM", "NOSUCH"}));
  const CKivoFapp& noInit = App("kivo_app_noinit.h");
  EXPECT_EQ(noInit.hasApi, 0);
  EXPECT_TRUE(noInit.usedFunctions.empty());
}

TEST_F(FappLibTest, TheApplicationSourceDocumentsItsParameters) {
  const CKivoInitFunc& init = *App("kivo_app_motor.h").initFuncs[0];
  EXPECT_EQ(init.FindParam("pwm_channel")->description, "the PWM output\nProject Notes: needs both functions\n");
  EXPECT_EQ(init.notes, "needs both functions\n");
}

TEST_F(FappLibTest, AvailabilityNeedsEveryUsedFunctionInTheSet) {
  const CKivoFSet& main = Set("kivo_set_main.h");
  const CKivoFSet& mixed = Set("Kivo_Set_Mixed.h");
  struct CRow {
    const char* app;
    bool inMain;
    bool inMixed;
  } rows[] = {{"kivo_app_comma.h", false, false},
              {"kivo_app_missing.h", false, false},
              {"kivo_app_motor.h", true, false},
              {"kivo_app_noinit.h", true, true},
              {"sub/kivo_app_motor.h", true, false}};
  for (const CRow& row : rows) {
    EXPECT_EQ(App(row.app).IsAvailableIn(&main), row.inMain) << row.app;
    EXPECT_EQ(App(row.app).IsAvailableIn(&mixed), row.inMixed) << row.app;
    EXPECT_FALSE(App(row.app).IsAvailableIn(nullptr)) << row.app;
  }
  std::vector<const CKivoFapp*> available = {nullptr};
  EXPECT_EQ(kb.fappLib.CollectAvailable(available, &main), 3);
  EXPECT_EQ(available, (std::vector<const CKivoFapp*>{nullptr, &App("kivo_app_motor.h"), &App("kivo_app_noinit.h"),
                                                      &App("sub/kivo_app_motor.h")}));
  EXPECT_EQ(kb.fappLib.CollectAvailable(available, nullptr), 0);
}

TEST_F(FappLibTest, TheUsedWalkGivesEachNameAndTheSetsFunction) {
  const CKivoFapp& missing = App("kivo_app_missing.h");
  const CKivoFSet& second = Set("sub/kivo_set_second.h");
  std::vector<std::string> walked;
  std::size_t position = missing.BeginUsed(&second);
  std::string name;
  for (std::size_t i = 0; i < missing.usedFunctions.size(); ++i) {
    const CKivoFunc* func = missing.NextUsed(position, name);
    walked.push_back(name + (func ? "+" : "-"));
  }
  EXPECT_EQ(walked, (std::vector<std::string>{"PWM+", "QOM+", "NOSUCH-"}));
  EXPECT_EQ(missing.NextUsed(position, name), nullptr);
  EXPECT_EQ(name, "");
  std::size_t ended = missing.BeginUsed(nullptr);
  EXPECT_EQ(missing.NextUsed(ended, name), nullptr);
}

TEST_F(FappLibTest, FindByInitNameLooksThroughTheApplicationsInOrder) {
  const CKivoInitFunc* initFunc = nullptr;
  EXPECT_EQ(kb.fappLib.FindByInitName("hv_kivo_app_motor_finit", &initFunc), &App("sub/kivo_app_motor.h"));
  EXPECT_EQ(initFunc, App("sub/kivo_app_motor.h").initFuncs[0].get());
  EXPECT_EQ(kb.fappLib.FindByInitName("hv_kivo_pwm_init"), nullptr);
}

}  // namespace
