// The numbered texts of both programs and the two ways of filling them in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct CCatalogEntry {
  int id;
  const char* text;
};

// Sorted by id, each id once. The version checker numbers its texts on its own,
// so its table overlaps the main program's numbers with other texts.
extern const CCatalogEntry kKivoVamCatalog[];
extern const std::size_t kKivoVamCatalogSize;
extern const CCatalogEntry kNewscoutCatalog[];
extern const std::size_t kNewscoutCatalogSize;

enum class ECatalog { KivoVam, Newscout };

// The catalog of this process: the main program's unless the version checker
// selects its own at start.
void SetProcessCatalog(ECatalog catalog);
ECatalog ProcessCatalog();

// The text of a numbered string; empty when the catalog has no such number.
std::string_view CatalogText(int id);
std::string_view CatalogText(int id, ECatalog catalog);
bool CatalogHas(int id, ECatalog catalog);

// Message-style insertion: "%1" to "%9" take the arguments by position; "%%"
// gives one "%"; a reference past the arguments is left as it stands.
std::string FormatMessageText(std::string_view pattern, const std::vector<std::string>& args);

// Printf-style formatting of a catalog text with typed arguments. Conversions are
// checked against the argument types, so a text never reads past its arguments:
// a missing or mismatched argument is formatted from what there is, or as empty.
using CPrintfArg = std::variant<long long, unsigned long long, double, std::string, char>;
std::string FormatPrintfText(std::string_view pattern, const std::vector<CPrintfArg>& args);

// Convenience for the usual argument kinds.
inline CPrintfArg PArg(int v) { return static_cast<long long>(v); }
inline CPrintfArg PArg(long v) { return static_cast<long long>(v); }
inline CPrintfArg PArg(long long v) { return v; }
inline CPrintfArg PArg(unsigned v) { return static_cast<unsigned long long>(v); }
inline CPrintfArg PArg(unsigned long v) { return static_cast<unsigned long long>(v); }
inline CPrintfArg PArg(unsigned long long v) { return v; }
inline CPrintfArg PArg(double v) { return v; }
inline CPrintfArg PArg(char v) { return v; }
inline CPrintfArg PArg(std::string v) { return v; }
inline CPrintfArg PArg(const char* v) { return std::string(v ? v : ""); }
inline CPrintfArg PArg(std::string_view v) { return std::string(v); }
