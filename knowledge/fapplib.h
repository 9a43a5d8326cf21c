// The application library: ready-made combinations of functions with their own C API.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "knowledge/fsetlib.h"

class CKivoFappLib;

// An application: a function whose API header also names the functions it
// needs; usable only with a set that has all of them.
class CKivoFapp : public CKivoFunc {
 public:
  explicit CKivoFapp(CKivoFappLib* ownerLib) : CKivoFunc(nullptr), library(ownerLib) {}

  int ParseApiHeader(const std::string& text, const CKivoLoadEnv& env) override;

  // Walk of the used functions against `set`: BeginUsed gives the first
  // position (the end position for a null set); NextUsed gives the used name
  // and the set's function of that name (null where the set lacks it).
  std::size_t BeginUsed(const CKivoFSet* set) const;
  const CKivoFunc* NextUsed(std::size_t& position, std::string& usedName) const;
  bool IsAvailableIn(const CKivoFSet* set) const;

  CKivoFappLib* library;
  std::string path;  // the application header, whether or not it could be read
  std::vector<std::string> usedFunctions;
  // The set the walk runs against: lookup state, not part of the application.
  mutable const CKivoFSet* currentSet = nullptr;

 private:
  void ReadUsedFunctions(const std::string& text);
};

class CKivoFappLib {
 public:
  CKivoFappLib() = default;
  CKivoFappLib(const CKivoFappLib&) = delete;
  CKivoFappLib& operator=(const CKivoFappLib&) = delete;

  // Loads every application header of the folder tree; returns the number
  // loaded. `index`, when given, holds listings already read in this load.
  int Scan(const std::string& folder, const CKivoCfgDesc* desc, CFolderIndex* index = nullptr);
  // Appends the applications available in `set`, in library order; returns their number.
  int CollectAvailable(std::vector<const CKivoFapp*>& outList, const CKivoFSet* set) const;
  const CKivoFapp* FindByInitName(const std::string& initName, const CKivoInitFunc** initFunc = nullptr) const;

  const std::vector<std::unique_ptr<CKivoFapp>>& Apps() const { return m_apps; }

 private:
  std::vector<std::unique_ptr<CKivoFapp>> m_apps;
};
