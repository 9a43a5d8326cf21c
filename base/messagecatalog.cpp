// Lookup in the message catalogs and the message-style and printf-style formatters.
#include "base/messagecatalog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <span>

namespace {

std::span<const CCatalogEntry> Table(ECatalog catalog) {
  if (catalog == ECatalog::Newscout)
    return {kNewscoutCatalog, kNewscoutCatalogSize};
  return {kKivoVamCatalog, kKivoVamCatalogSize};
}

const CCatalogEntry* Find(int id, ECatalog catalog) {
  auto table = Table(catalog);
  auto it = std::lower_bound(table.begin(), table.end(), id,
                             [](const CCatalogEntry& e, int key) { return e.id < key; });
  if (it == table.end() || it->id != id)
    return nullptr;
  return &*it;
}

// One printf conversion with its flags, width and precision, already split off.
struct CConversion {
  std::string spec;  // e.g. "%-8.3"
  char type = 0;     // conversion letter
  std::string length;
};

std::string FormatOne(const CConversion& conv, const CPrintfArg* arg) {
  char buffer[512];
  const std::string& spec = conv.spec;
  auto asLongLong = [&]() -> long long {
    if (!arg) return 0;
    if (auto p = std::get_if<long long>(arg)) return *p;
    if (auto p = std::get_if<unsigned long long>(arg)) return static_cast<long long>(*p);
    if (auto p = std::get_if<double>(arg)) return static_cast<long long>(*p);
    if (auto p = std::get_if<char>(arg)) return *p;
    return 0;
  };
  auto asDouble = [&]() -> double {
    if (!arg) return 0.0;
    if (auto p = std::get_if<double>(arg)) return *p;
    if (auto p = std::get_if<long long>(arg)) return static_cast<double>(*p);
    if (auto p = std::get_if<unsigned long long>(arg)) return static_cast<double>(*p);
    return 0.0;
  };
  switch (conv.type) {
    case 'd':
    case 'i': {
      std::snprintf(buffer, sizeof buffer, (spec + "lld").c_str(), asLongLong());
      return buffer;
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
      auto v = static_cast<unsigned long long>(asLongLong());
      if (conv.length.empty() && (!arg || !std::holds_alternative<unsigned long long>(*arg)))
        v &= 0xFFFFFFFFull;  // a plain %u or %x of a negative int shows 32 bits, as C would
      std::snprintf(buffer, sizeof buffer, (spec + "ll" + conv.type).c_str(), v);
      return buffer;
    }
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'e':
    case 'E': {
      std::snprintf(buffer, sizeof buffer, (spec + conv.type).c_str(), asDouble());
      return buffer;
    }
    case 'c': {
      char c = ' ';
      if (arg) {
        if (auto p = std::get_if<char>(arg)) c = *p;
        else c = static_cast<char>(asLongLong());
      }
      std::snprintf(buffer, sizeof buffer, (spec + 'c').c_str(), c);
      return buffer;
    }
    case 's': {
      std::string s;
      if (arg) {
        if (auto p = std::get_if<std::string>(arg)) s = *p;
        else if (auto c = std::get_if<char>(arg)) s = std::string(1, *c);
      }
      if (spec == "%")
        return s;
      int needed = std::snprintf(nullptr, 0, (spec + 's').c_str(), s.c_str());
      std::string out(static_cast<std::size_t>(std::max(needed, 0)), '\0');
      std::snprintf(out.data(), out.size() + 1, (spec + 's').c_str(), s.c_str());
      return out;
    }
    default:
      return spec + conv.type;
  }
}

ECatalog g_processCatalog = ECatalog::KivoVam;

}  // namespace

void SetProcessCatalog(ECatalog catalog) { g_processCatalog = catalog; }
ECatalog ProcessCatalog() { return g_processCatalog; }

std::string_view CatalogText(int id) { return CatalogText(id, g_processCatalog); }

std::string_view CatalogText(int id, ECatalog catalog) {
  const CCatalogEntry* entry = Find(id, catalog);
  return entry ? std::string_view(entry->text) : std::string_view();
}

bool CatalogHas(int id, ECatalog catalog) { return Find(id, catalog) != nullptr; }

std::string FormatMessageText(std::string_view pattern, const std::vector<std::string>& args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      char next = pattern[i + 1];
      if (next >= '1' && next <= '9') {
        auto index = static_cast<std::size_t>(next - '1');
        if (index < args.size()) {
          out += args[index];
          ++i;
          continue;
        }
      } else if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string FormatPrintfText(std::string_view pattern, const std::vector<CPrintfArg>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    CConversion conv;
    conv.spec = "%";
    std::size_t j = i + 1;
    while (j < pattern.size() && std::string_view("-+ #0").find(pattern[j]) != std::string_view::npos)
      conv.spec += pattern[j++];
    while (j < pattern.size() && (std::isdigit(static_cast<unsigned char>(pattern[j])) || pattern[j] == '.'))
      conv.spec += pattern[j++];
    while (j < pattern.size() && std::string_view("hlLqjzt").find(pattern[j]) != std::string_view::npos)
      conv.length += pattern[j++];
    if (j >= pattern.size()) {
      out += pattern.substr(i);
      break;
    }
    conv.type = pattern[j];
    const CPrintfArg* arg = next < args.size() ? &args[next] : nullptr;
    ++next;
    out += FormatOne(conv, arg);
    i = j;
  }
  return out;
}
