// What a function's API header and source say about its initialisation functions, channels and load.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "knowledge/cfgdesc.h"
#include "knowledge/loadenv.h"

class CKivoFunc;
class CKivoInitFunc;

// One parameter of an initialisation function.
class CKivoParam {
 public:
  explicit CKivoParam(const CKivoInitFunc* ownerFunc) : owner(ownerFunc) {}

  bool IsChannel() const;
  // The name in lower case without "channel_" and "_channel"; "_the_channel_"
  // when nothing is left.
  std::string ChannelStem() const;
  // For a name ending in "_chan": the functions of the owning set named by the
  // underscore-separated words before it. Returns their number; `outList` is
  // left alone for any other name.
  int LinkedFunctions(std::vector<const CKivoFunc*>& outList) const;
  // Finds the parameter's allowed values in the header (and the headers it
  // includes), else in the engine-configuration description. True when the
  // parameter ends up with a definition.
  bool FindValueList(const std::string& headerText, const CKivoLoadEnv& env);

  const CKivoInitFunc* owner;
  const CKivoVarDef* varDef = nullptr;
  int ownsVarDef = 0;
  std::unique_ptr<CKivoVarDef> ownedDef;  // set when `ownsVarDef`
  std::string name;
  std::string type;
  std::string description;
};

// One channel-assignment block: which channel variables an initialisation call
// occupies when its selector holds.
class CKivoChanAssign {
 public:
  std::string condVar;
  std::string condValue;
  std::string assignText;
  std::vector<std::string> chanVars;
  std::map<std::string, std::string> priorities;
  std::map<std::string, const CKivoParam*> paramOfChan;
};

struct CKivoRange {
  double min = 0;
  double max = 0;
  std::string valueName;  // empty for a numeric range
};

// One input of a load expression, declared with "var".
class CKivoLoadVar {
 public:
  // The names of the ranges when every range is a single named point; 0 as
  // soon as a true range is met.
  int NamedValues(std::vector<std::string>& outArray) const;
  bool HasNamedValues() const;
  bool ValueOf(const std::string& valueName, double& value) const;
  // Valid when the value lies in some range (or there are none); an invalid
  // value is reported with message 4051 or 4052 when `report`.
  bool CheckValue(double value, bool report) const;

  std::string name;
  std::string unit;
  std::vector<CKivoRange> ranges;
};

class CKivoLoadExpr {
 public:
  explicit CKivoLoadExpr(const CKivoFunc* ownerFunc) : owner(ownerFunc) {}
  const CKivoLoadVar* FindVar(const std::string& varName) const;

  const CKivoFunc* owner;
  std::string name;
  std::string exprText;
  std::map<std::string, std::unique_ptr<CKivoLoadVar>> vars;
};

// One initialisation function declared in an API header.
class CKivoInitFunc {
 public:
  explicit CKivoInitFunc(const CKivoFunc* ownerFunc) : owner(ownerFunc) {}

  const CKivoParam* FindParam(const std::string& paramName) const;
  // The name of the load expression that `block` refers to, or null.
  const std::string* LoadRefOf(const CKivoChanAssign* block) const;

  const CKivoFunc* owner;
  std::string name;
  std::string notes;
  std::vector<std::unique_ptr<CKivoParam>> params;
  std::vector<std::unique_ptr<CKivoChanAssign>> chanAssigns;
  std::map<const CKivoChanAssign*, std::unique_ptr<CKivoLoadExpr>> chanLoads;
};
