// The project the benchmarks of the desktop program's views measure: 64
// configured functions (PWM and GPIO on every channel of both engines) of the
// bundled motion set, on a Kivo2 processor.
#pragma once

#include <memory>

#include "app/startup.h"
#include "base/ports.h"
#include "base/recordingports.h"
#include "knowledge/knowledgebase.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

namespace benchproject {

constexpr int kFunctions = 64;

struct CBenchProject {
  CRecordingMessagePort messages;
  CScopedPorts ports{CPorts{&messages, nullptr, nullptr}};
  CKnowledgeBase kb;
  CNotesModel notes;
  std::unique_ptr<CProjDoc> doc;

  CBenchProject() {
    CLoadOptions options;
    options.confFolder = KV_SOURCE_DIR "/conf";
    options.functionSetFolder = KV_SOURCE_DIR "/fsets";
    LoadKnowledgeBase(kb, options);
    doc = std::make_unique<CProjDoc>(kb, nullptr, &notes);
    doc->OnNewDocument();
    doc->SetProcessor({"Omiro Q32", 100000000, 0});
    doc->SelectFunctionSet(kb.fsetLib.FindSet("kivo2/kivo_set_k2_motion.h"));
    const CKivoFunc* pwm = doc->m_pFSet ? doc->m_pFSet->FindFunc("PWM") : nullptr;
    const CKivoFunc* gpio = doc->m_pFSet ? doc->m_pFSet->FindFunc("GPIO") : nullptr;
    for (int i = 0; pwm && gpio && i < kFunctions; ++i)
      doc->AddFunction(doc->NewFunction(i % 2 ? *gpio : *pwm, i / 32, i % 32));
    doc->NotifyChanged(-1);
  }
  bool Ready() const { return doc->Functions().size() == kFunctions; }
};

}  // namespace benchproject
