// The crafted knowledge base of the tests, loaded once per test with its messages and progress recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "knowledge/knowledgebase.h"
#include "common/testsupport.h"

class CKbFixture : public ::testing::Test {
 protected:
  void SetUp() override;

  const CKivoFSet& Set(const std::string& relativePath) const;
  const CKivoFunc& Func(const std::string& entry) const;
  const CKivoInitFunc& Init(const std::string& entry, const std::string& initName) const;
  const CKivoParam& Param(const std::string& entry, const std::string& initName, const std::string& name) const;
  const CKivoFapp& App(const std::string& relativePath) const;
  // Texts of the recorded messages with this number, in order.
  std::vector<std::string> Texts(int id) const;
  std::string Fsets(const std::string& relative) const;

  CRecordedPorts ports;
  CKnowledgeBase kb;
};
