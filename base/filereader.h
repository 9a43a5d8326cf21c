// The one way the programs read a file whole: regular files only, bounded in size, never blocking.
#pragma once

#include <cstddef>
#include <string>

// Every file the programs read (INI files, templates, the notes template,
// function-set headers and sources, projects) is a small text file; anything
// larger is a mistake or an attack, and must not take the memory with it.
constexpr std::size_t kMaxReadFileSize = 1024 * 1024;

enum class EFileRead { kRead, kTooBig, kFailed };

// The file's bytes as stored. What is not a regular file (a folder, a FIFO, a
// device, a socket) is refused before it is opened, and again after, should
// it have been swapped in between; the open never waits for a writer. A file
// over `limit` bytes, or one that grows beyond it while read, gives kTooBig.
// On failure `outBytes` is empty and `outReason` says why (kFailed only).
EFileRead ReadWholeFile(const std::string& path, std::string& outBytes, std::string& outReason,
                        std::size_t limit = kMaxReadFileSize);

// The same, reporting a failure through the messages port: message 4002 for
// a file over the limit, the file error naming the file otherwise.
bool ReadWholeFileReported(const std::string& path, std::string& outBytes);

// Empty for a regular file (or one that does not exist), else why it is not one:
// the reason a save gives for refusing to put a file in its place.
std::string NotRegularFileReason(const std::string& path);
