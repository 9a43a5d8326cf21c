// The channels page's rows and total load over the sample project, a read fixture and edited projects.
#include "project/channeltable.h"

#include <gtest/gtest.h>

#include <memory>

#include "bundledkb.h"
#include "common/testsupport.h"
#include "knowledge/cfgdesc.h"

namespace {

class ChannelTableTest : public CBundledKbTest {
 protected:
  void SetUp() override { doc = std::make_unique<CProjDoc>(*s_kb); }

  void Open(const std::filesystem::path& path) {
    ASSERT_TRUE(doc->OnOpenDocument(path.string())) << path;
    ASSERT_TRUE(ports.messages.Messages().empty()) << ports.messages.Messages()[0].text;
  }

  CProjDoc::CFuncInfo* FunctionOn(int engine, int channel) const {
    return doc->FindChannelUser(engine, channel);
  }

  CRecordedPorts ports;
  std::unique_ptr<CProjDoc> doc;
};

struct CRowText {
  int channel;
  const char* function;
  const char* channelName;
  const char* priority;
  const char* load;
  bool cie, cdtre;
  const char* odis;
  const char* api;
};

void ExpectRow(const CChannelRow& row, const CRowText& expected) {
  SCOPED_TRACE("channel " + std::to_string(expected.channel));
  EXPECT_EQ(row.channel, expected.channel);
  EXPECT_EQ(row.ch, std::to_string(expected.channel) + ": ");
  EXPECT_EQ(row.function, expected.function);
  EXPECT_EQ(row.channelName, expected.channelName);
  EXPECT_EQ(row.priority, expected.priority);
  EXPECT_EQ(row.load, expected.load);
  EXPECT_EQ(row.cie, expected.cie);
  EXPECT_EQ(row.cdtre, expected.cdtre);
  EXPECT_EQ(row.odis, expected.odis);
  EXPECT_EQ(row.api, expected.api);
  EXPECT_EQ(row.func != nullptr, *expected.function != '\0');
}

TEST_F(ChannelTableTest, ReadFixtureShowsInstancesPrioritiesAndMasks) {
  Open(FixturePath("project/read/full/kivo_vam.c"));
  CChannelTable a = BuildChannelTable(*doc, 0);
  ASSERT_EQ(a.rows.size(), 32u);
  const char* pwm = "Pulse Width Modulation Output";
  ExpectRow(a.rows[3], {3, "Pulse Width Modulation Output (PWM0)", "output", "Middle", "?", true,
                        false, "Off", "Yes"});
  ExpectRow(a.rows[10], {10, "Pulse Width Modulation Output (PWM1)", "output", "Low", "0.5 %", false,
                         false, "Off", "Yes"});
  ExpectRow(a.rows[4], {4, "", "", "", "", false, false, "Off", ""});
  EXPECT_NE(a.rows[3].function.find(pwm), std::string::npos);
  // A load that wants its inputs is the highlighted button of the Load command.
  EXPECT_TRUE(a.rows[3].loadIsCommand && a.rows[3].loadHighlighted);
  EXPECT_TRUE(a.rows[10].loadIsCommand);
  EXPECT_FALSE(a.rows[10].loadHighlighted);
  EXPECT_EQ(a.totalLoadText, "0.5 %");

  CChannelTable b = BuildChannelTable(*doc, 1);
  ExpectRow(b.rows[0], {0, "", "", "", "", false, false, "High", ""});
  ExpectRow(b.rows[1], {1, "", "", "", "", false, false, "High", ""});
  ExpectRow(b.rows[5], {5, "GPIO - General purpose input/output", "channel", "High", "?", false, true,
                        "Off", "No"});
  EXPECT_FALSE(b.rows[5].loadIsCommand || b.rows[5].loadHighlighted);
  EXPECT_EQ(b.totalLoadText, "0.0 %");
}

TEST_F(ChannelTableTest, SampleProjectLoadsAndTotals) {
  Open(SourcePath("examples/demo/kivo_vam.c"));
  CChannelTable a = BuildChannelTable(*doc, 0);
  ExpectRow(a.rows[0], {0, "Pulse Width Modulation Output (PWM0)", "output", "Low", "0.2 %", false,
                        false, "Off", "Yes"});
  ExpectRow(a.rows[4], {4, "Complementary PWM Pair with Dead Time", "high", "Low", "0.2 %",
                        false, false, "Off", "Yes"});
  ExpectRow(a.rows[5], {5, "Complementary PWM Pair with Dead Time", "low", "Low", "0.09 %",
                        false, false, "Off", "Yes"});
  // The total adds the positive loads only; unknown ones ("?") count nothing.
  double positive = 0;
  for (const CChannelRow& row : a.rows)
    if (row.channelInfo && row.channelInfo->load > 0)
      positive += row.channelInfo->load;
  EXPECT_DOUBLE_EQ(a.totalLoad, positive);
  EXPECT_EQ(a.totalLoadText, "0.4 %");

  CChannelTable b = BuildChannelTable(*doc, 1);
  ExpectRow(b.rows[1], {1, "Quadrature Decoder", "phase_b", "Low", "4.6 %", false, false, "Off",
                        "Yes"});
  ExpectRow(b.rows[13], {13, "Fan Speed Control", "tacho", "Low", "?", false, false, "Off", "Yes"});
  EXPECT_EQ(b.totalLoadText, "9.3 %");
  int used = 0;
  for (const CChannelRow& row : b.rows)
    used += row.func != nullptr;
  EXPECT_EQ(used, 8);
}

TEST_F(ChannelTableTest, PriorityFollowsTheParameterOrTheFixedValueTheHeaderNames) {
  Open(SourcePath("examples/demo/kivo_vam.c"));
  auto* fan = dynamic_cast<CProjDoc::CFuncInfo_Api*>(FunctionOn(1, 12));
  ASSERT_NE(fan, nullptr);
  CProjDoc::CParamInfo* priority = fan->FindParam("priority");
  ASSERT_NE(priority, nullptr);
  priority->value.Set("HV_KIVO_PRIORITY_HIGH", "");
  CChannelTable b = BuildChannelTable(*doc, 1);
  EXPECT_EQ(b.rows[12].priority, "High");
  EXPECT_EQ(b.rows[13].priority, "Low");  // the header fixes the tacho's priority

  priority->value.Set("my_priority", "");
  EXPECT_EQ(BuildChannelTable(*doc, 1).rows[12].priority, "my_priority");
  priority->value.Set("", "");
  EXPECT_EQ(BuildChannelTable(*doc, 1).rows[12].priority, "?");
}

TEST_F(ChannelTableTest, LaterFunctionWinsASharedChannelAndFarChannelsAreLeftOut) {
  Open(SourcePath("examples/demo/kivo_vam.c"));
  const CProjDoc::CFuncInfo* gpio = FunctionOn(1, 8);
  ASSERT_NE(gpio, nullptr);
  for (int channel : {8, 40}) {
    auto copy = gpio->Clone();
    copy->channels[0]->number = channel;
    doc->AddFunction(std::move(copy));
  }
  CChannelTable b = BuildChannelTable(*doc, 1);
  EXPECT_EQ(b.rows[8].function, "GPIO - General purpose input/output (GPIO1)");
  EXPECT_EQ(b.rows[8].func, doc->Functions()[doc->Functions().size() - 2].get());
  EXPECT_EQ(b.rows.size(), 32u);
}

TEST_F(ChannelTableTest, NewProjectHasOnlyFreeRows) {
  ASSERT_TRUE(doc->OnNewDocument());
  doc->m_engine[1].cie = 0x80000000;
  doc->m_engine[1].odis = 0x80000001;
  doc->m_engine[1].opol = 0x00000001;
  CChannelTable b = BuildChannelTable(*doc, 1);
  ExpectRow(b.rows[0], {0, "", "", "", "", false, false, "Low", ""});
  ExpectRow(b.rows[31], {31, "", "", "", "", true, false, "High", ""});
  EXPECT_EQ(b.totalLoadText, "0.0 %");
}

struct CLoadText {
  const char* name;
  double load;
  const char* text;
};

TEST(ChannelLoadText, DecimalsGrowAsTheLoadShrinks) {
  const CLoadText rows[] = {
      {"Tenth", 0.1, "0.1 %"},
      {"Large", 12.34, "12.3 %"},
      {"RoundsUp", 99.96, "100.0 %"},
      {"JustBelowATenth", 0.0999, "0.10 %"},
      {"Hundredth", 0.01, "0.01 %"},
      {"BelowAHundredth", 0.005, "0.0050 %"},
      {"Thousandth", 0.001, "0.0010 %"},
      {"BelowAThousandth", 0.0005, "0.000500 %"},
      {"Zero", 0.0, "0.000000 %"},
      {"Unknown", -1.0, "?"},
      {"AnyNegative", -0.0001, "?"},
  };
  for (const CLoadText& row : rows)
    EXPECT_EQ(FormatChannelLoad(row.load), row.text) << row.name;
  EXPECT_EQ(FormatTotalLoad(0.04), "0.0 %");
  EXPECT_EQ(FormatTotalLoad(150.0), "150.0 %");
}

TEST(ChannelMasks, InPlaceEditsSetTheirBits) {
  CProjDoc::CEngine engine;
  EXPECT_TRUE(SetOdisChoice(engine, 31, "Low"));
  EXPECT_EQ(engine.odis, 0x80000000u);
  EXPECT_EQ(engine.opol, 0x80000000u);
  EXPECT_EQ(OdisChoice(engine, 31), "Low");
  EXPECT_TRUE(SetOdisChoice(engine, 31, "High"));
  EXPECT_EQ(engine.opol, 0u);
  EXPECT_EQ(OdisChoice(engine, 31), "High");
  engine.opol = 0x80000000u;
  EXPECT_TRUE(SetOdisChoice(engine, 31, "Off"));
  EXPECT_EQ(engine.odis | engine.opol, 0u);
  // Polarity alone does not disable an output.
  engine.opol = 1;
  EXPECT_EQ(OdisChoice(engine, 0), "Off");

  EXPECT_FALSE(SetOdisChoice(engine, 32, "Low"));
  EXPECT_FALSE(SetOdisChoice(engine, -1, "Low"));
  EXPECT_FALSE(SetOdisChoice(engine, 3, "low"));
  EXPECT_EQ(engine.odis, 0u);

  uint32_t mask = 0;
  EXPECT_TRUE(SetChannelBit(mask, 0, true));
  EXPECT_TRUE(SetChannelBit(mask, 31, true));
  EXPECT_TRUE(SetChannelBit(mask, 0, false));
  EXPECT_FALSE(SetChannelBit(mask, 32, true));
  EXPECT_EQ(mask, 0x80000000u);
}

}  // namespace
