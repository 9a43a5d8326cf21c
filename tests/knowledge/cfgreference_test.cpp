// The register reference written from an engine-configuration description: a
// crafted one against the reference it must give, and the bundled one, of
// which nothing may be left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testsupport.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/cfgreference.h"

// The crafted description holds each shape the reference tells apart (see its
// head); the expected text was read through line by line.
TEST(RegisterReference, CraftedDescriptionGivesTheExpectedReference) {
  CKivoCfgDesc desc;
  ASSERT_TRUE(desc.Load(FixturePath("cfgreference/kivocfg.ini").string()));
  EXPECT_EQ(WriteRegisterReference(desc, "kivocfg.ini"), ReadFileBytes(FixturePath("cfgreference/expected.md")));
}

// Whatever the bundled description holds is in the reference: every field with
// its comment, every value's C name and shown name, every group.
TEST(RegisterReference, BundledDescriptionIsListedWhole) {
  CKivoCfgDesc desc;
  ASSERT_TRUE(desc.Load(SourcePath("conf/kivocfg.ini").string()));
  const std::string reference = WriteRegisterReference(desc, "kivocfg.ini");
  ASSERT_FALSE(desc.Definitions().empty());
  auto escaped = [](const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '_')
        out.push_back('\\');
      out.push_back(c);
    }
    return out;
  };
  // A setting chosen over several fields names each field and each constant on its own.
  auto pieces = [](const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text) {
      if (c == ',')
        out.emplace_back();
      else if (c != ' ')
        out.back().push_back(c);
    }
    return out;
  };
  for (const auto& def : desc.Definitions()) {
    SCOPED_TRACE(def->section);
    for (const std::string& field : pieces(def->section))
      EXPECT_NE(reference.find(escaped(field)), std::string::npos) << field;
    for (const auto& value : def->values) {
      for (const std::string& constant : pieces(value->name)) {
        // The whole C text: a macro's argument follows its name.
        const std::string code = std::string("`").append(constant).append(value->takesArg ? "(" : "`");
        EXPECT_NE(reference.find(code), std::string::npos) << code;
      }
      const std::string shown = std::string("| ").append(escaped(value->friendly)).append(" |");
      EXPECT_NE(reference.find(shown), std::string::npos) << value->friendly;
    }
  }
  for (const auto& section : desc.Sections()) {
    if (section->GetValue("bitfield0").empty())
      continue;
    SCOPED_TRACE(section->name);
    EXPECT_NE(reference.find(escaped(section->GetValue("comment"))), std::string::npos);
  }
  // Each field a member holds only on Kivo2 says so under its heading.
  for (const char* field : {"### WDTR.WDM: Watchdog\n\nIn member 9 and member 10. **Kivo2 only.**",
                            "### MCR.SDMECC: Parameter RAM error correction\n\nIn member 1. **Kivo2 only.**"})
    EXPECT_NE(reference.find(field), std::string::npos) << field;
}
