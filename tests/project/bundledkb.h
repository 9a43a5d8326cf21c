// The bundled configuration and function-set library, loaded as the programs load them.
#pragma once

#include "knowledge/knowledgebase.h"

// Loads conf/ and fsets/ of the source tree into `kb`, applications included;
// a file that does not load fails the test that asked for it.
void LoadBundledKnowledge(CKnowledgeBase& kb);

#include <gtest/gtest.h>

// A suite over the bundled knowledge base, loaded once for the whole suite:
// the documents its tests make refer to it.
class CBundledKbTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  static CKnowledgeBase* s_kb;
};
