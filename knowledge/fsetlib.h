// The function-set library: set headers, the functions they list, and lookups over them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "knowledge/apimeta.h"
#include "knowledge/loadenv.h"

class CKivoFSet;
class CKivoFSetLib;

// One coprocessor function, shared by every set that lists the same entry text.
class CKivoFunc {
 public:
  explicit CKivoFunc(const CKivoFSet* ownerSet) : owner(ownerSet) {}
  virtual ~CKivoFunc();
  CKivoFunc(const CKivoFunc&) = delete;
  CKivoFunc& operator=(const CKivoFunc&) = delete;

  // Derives the names from `entryText` and reads the API header: the file at
  // `path` when one is given (applications), else kivo_<name>.h searched in
  // the function-set folder tree, then its .c source. False only without a
  // path and with an empty name.
  bool Init(const std::string& entryText, const std::string& path, const CKivoLoadEnv& env);
  // Returns the number of initialisation functions found.
  virtual int ParseApiHeader(const std::string& text, const CKivoLoadEnv& env);
  virtual int ParseApiSource(const std::string& text);

  // The index in the owning set's slots, or -1.
  int FunctionNumber() const;
  const CKivoInitFunc* FindInitFunc(const std::string& initName) const;
  const CKivoLoadExpr* FindLoadExpr(const std::string& exprName) const;

  const CKivoFSet* owner;
  std::string entry;  // the entry text as listed, or the application's name
  std::string name;
  std::string title;
  int hasApi = 0;
  std::string apiHeaderPath;
  std::string apiHeaderRelPath;
  std::vector<std::unique_ptr<CKivoInitFunc>> initFuncs;
  std::map<std::string, std::unique_ptr<CKivoLoadExpr>> loadExprs;

 protected:
  // Reads one API header or source and hands it to the parser its extension names.
  bool LoadFile(const std::string& path, const CKivoLoadEnv& env);

 private:
  void ReadLoadExpressions(const std::string& text);
  void ReadPrototypes(const std::string& text, const CKivoLoadEnv& env);
  void ReadFullName(const std::string& text);
};

// One set header.
class CKivoFSet {
 public:
  explicit CKivoFSet(CKivoFSetLib* ownerLib) : owner(ownerLib) {}
  CKivoFSet(const CKivoFSet&) = delete;
  CKivoFSet& operator=(const CKivoFSet&) = delete;

  // False when the file cannot be read.
  bool Load(const std::string& setPath, const CKivoLoadEnv& env);
  bool Parse(const std::string& text, const CKivoLoadEnv& env);

  // Slot walk: a position is 1 + a slot index, 0 at the end.
  int FirstSlot() const;
  const CKivoFunc* NextFunc(int& position) const;
  const CKivoFunc* FindFunc(const std::string& funcName) const;
  const CKivoFunc* FindByInitName(const std::string& initName, const CKivoInitFunc** initFunc = nullptr) const;

  CKivoFSetLib* owner;
  std::string path;
  std::string relativePath;
  std::string fileName;
  std::vector<const CKivoFunc*> slots;
  std::vector<std::string> presumedSettings;
  // Beside each presumed setting, the text in parentheses after its name,
  // trimmed; empty when none is written.
  std::vector<std::string> presumedArguments;
  std::string miscValue;
  std::string entryTable;

 private:
  void ReadEntries(const std::string& listText, const CKivoLoadEnv& env);
  void ReadPresumedSettings(const std::string& settingsText, const CKivoLoadEnv& env);
  int NextSlotPosition(std::size_t from) const;
};

class CKivoFSetLib {
 public:
  CKivoFSetLib() = default;
  CKivoFSetLib(const CKivoFSetLib&) = delete;
  CKivoFSetLib& operator=(const CKivoFSetLib&) = delete;

  // Loads every set header of the folder tree; returns the number loaded.
  // `index`, when given, holds the tree's listings for the rest of the load
  // (the application library reads the same tree).
  int LoadAll(const std::string& folder, const CKivoCfgDesc* desc, CFolderIndex* index = nullptr);

  const std::vector<std::unique_ptr<CKivoFSet>>& Sets() const { return m_sets; }
  // Every distinct function, in the order the sets first listed them.
  const std::vector<std::unique_ptr<CKivoFunc>>& Functions() const { return m_functions; }
  // By relative path, else by file name; both ignoring case.
  const CKivoFSet* FindSet(const std::string& setPath) const;
  const std::string& Folder() const { return m_folder; }

 private:
  friend class CKivoFSet;
  // The shared function for an entry text, created (and its API read) on first use.
  const CKivoFunc* FunctionFor(const std::string& entryText, const CKivoFSet* set, const CKivoLoadEnv& env);
  void ReportEntryProgress(int done, int total) const;

  std::string m_folder;
  std::vector<std::unique_ptr<CKivoFSet>> m_sets;
  std::vector<std::unique_ptr<CKivoFunc>> m_functions;
  std::map<std::string, const CKivoFunc*> m_byEntry;
  int m_progressBase = 0;
};
