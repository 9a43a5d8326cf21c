// The generated files as the next save would write them, and where they
// differ from the files that save would replace.
#pragma once

#include <string>
#include <vector>

#include "project/linediff.h"

class CProjDoc;

// A template line that stamps the time of the save: the text around the stamp.
// Every save writes a new stamp, so a line of this shape differs from the file
// on disk without anything of the project having changed.
struct CStampLine {
  std::string head;
  std::string tail;
  std::string key;  // what every line of the shape is compared by
};

struct CNextSave {
  bool generated = false;
  std::string reason;      // why the texts could not be generated
  std::string sourcePath;  // the files the save would replace; empty for a project never saved
  std::string headerPath;
  std::string source;
  std::string header;
  std::vector<CStampLine> stamps;
};

// The texts a save of `doc` to `projectPath` would write (the default names
// for a project never saved, `projectPath` empty), from the save's own
// generator, engine frequencies derived afresh as a save derives them. The
// project is left exactly as it was, its views are not told and nothing is
// shown or asked: what would be reported is the reason.
CNextSave ComputeNextSave(CProjDoc& doc, const std::string& projectPath);

// A file the save would replace, as read for the comparison.
struct CDiskText {
  enum EState { kNoPath, kMissing, kUnreadable, kRead };
  EState state = kNoPath;
  std::string path;
  std::string bytes;
  std::string reason;  // kUnreadable: why
  bool crlf = false;   // some line ends with CR LF
};

// Reads `path` through the bounded reader; an empty path is kNoPath.
CDiskText ReadDiskText(const std::string& path);

// The lines of `text` against the file on disk: nothing marked unless the file
// was read. Line ends do not count (the save writes LF; a file edited
// elsewhere may hold CR LF), nor does the stamp of a stamp line.
CLineDiff CompareWithDisk(const std::string& text, const CDiskText& disk, const std::vector<CStampLine>& stamps);
