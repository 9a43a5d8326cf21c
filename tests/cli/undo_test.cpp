// Undo and redo of the project's edit operations, each state checked against what kivovam-cli show reads from the saved pair.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/startup.h"
#include "common/runprocess.h"
#include "common/testsupport.h"
#include "knowledge/knowledgebase.h"
#include "project/projdoc.h"

namespace {

using nlohmann::json;

const std::string kCli = KV_BIN_DIR "/kivovam-cli";

// The model `show` reads from the project saved at `folder`, without the paths.
json ShowSaved(CProjDoc& doc, const CTempDir& folder) {
  EXPECT_TRUE(doc.GenerateProjectFiles((folder / "kivo_vam.c").string(), (folder / "kivo_vam.h").string()));
  CProcessResult result = RunProcess(kCli, {"--conf", SourcePath("conf").string(), "--fsets",
                                            SourcePath("fsets").string(), "--json", "--quiet", "show",
                                            folder.Path().string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  json model = json::parse(result.out, nullptr, false);
  if (model.is_object()) {
    model.erase("source");
    model.erase("header");
    model.erase("messages");
  }
  return model;
}

TEST(UndoRedo, EveryStateIsTheOneShowReadBefore) {
  CRecordedPorts ports;
  CKnowledgeBase kb;
  CLoadOptions options;
  options.confFolder = SourcePath("conf").string();
  options.functionSetFolder = SourcePath("fsets").string();
  ASSERT_TRUE(LoadKnowledgeBase(kb, options));
  CProjDoc doc(kb);
  ASSERT_TRUE(doc.OnNewDocument());
  ASSERT_TRUE(doc.SetProcessor({"Omiro Q32", 100000000, 0}));
  ASSERT_TRUE(doc.SelectFunctionSet(kb.fsetLib.FindSet("kivo2/kivo_set_k2_motion.h")));
  const CKivoFSet& set = *doc.m_pFSet;
  CTempDir folder;

  std::vector<json> states{ShowSaved(doc, folder)};
  auto step = [&](bool done) {
    ASSERT_TRUE(done);
    states.push_back(ShowSaved(doc, folder));
    EXPECT_NE(states.back(), states[states.size() - 2]) << doc.UndoName();
  };
  step(doc.AddConfiguredFunction(doc.NewFunction(*set.FindFunc("PWM"), 0, 0)));
  step(doc.AddConfiguredFunction(doc.NewFunction(*set.FindFunc("QD"), 1, 4)));
  CProjDoc::CEngineValues engine = doc.EngineValues(0);
  engine.Field("ECR.MDIS")->Set("HV_KIVO_MDIS_ON", "");
  step(doc.SetEngineValues(engine));
  // The one-engine processor takes the engine-B function with it.
  ports.messages.QueueAnswer(EAnswer::Yes);
  step(doc.SelectProcessor("Omiro Q31"));
  ASSERT_EQ(doc.Functions().size(), 1u);
  EXPECT_EQ(states.back()["functions"].size(), 1u);
  EXPECT_EQ(states[2]["functions"].size(), 2u);

  for (std::size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(ShowSaved(doc, folder), states[i - 1]) << "undone to state " << i - 1;
  }
  // Back at the steps that made the project.
  EXPECT_EQ(doc.UndoName(), "Change Function Set");
  for (std::size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(ShowSaved(doc, folder), states[i]) << "redone to state " << i;
  }
  EXPECT_FALSE(doc.CanRedo());
}

}  // namespace
