// CRegExp on PCRE2: ECMAScript-like options, JIT with a large stack, bounded matching.
#include "support/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace {

// A 1 MiB header that is one block comment drives the lazy comment patterns
// through about a million iterations, each holding a little JIT stack: the
// densest such comment needs between 8 and 32 MiB. The maximum is only
// reserved address space; pages are taken as the stack grows.
constexpr std::size_t kJitStackStart = 256 * 1024;
constexpr std::size_t kJitStackMax = 512 * 1024 * 1024;
// The work of one search is bounded in proportion to the text, so that a
// pattern that backtracks without end fails soon on a short line and a
// linear pattern still has room on a whole file. The comment patterns need at
// most about 25 units per byte (a 1 MiB comment whose every line holds the
// heading words); the bound leaves room for more than twice that.
constexpr uint32_t kMatchLimitBase = 10'000'000;
constexpr uint32_t kMatchLimitPerByte = 64;
constexpr uint32_t kMatchLimitMax = 1'000'000'000;
// Without JIT the interpreter keeps its backtracking frames on the heap; a
// 1 MiB comment takes about 330 MB, the bound about three times that.
constexpr uint32_t kHeapLimitKiB = 1024 * 1024;

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0)
    return "regular expression error " + std::to_string(code);
  return reinterpret_cast<const char*>(buffer);
}

// One JIT stack and match context for the whole process: the service is used
// from one thread only.
struct CMatchEnvironment {
  pcre2_match_context* context = nullptr;
  pcre2_jit_stack* jitStack = nullptr;
  CMatchEnvironment() {
    context = pcre2_match_context_create(nullptr);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
    jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (jitStack)
      pcre2_jit_stack_assign(context, nullptr, jitStack);
  }
  ~CMatchEnvironment() {
    if (jitStack)
      pcre2_jit_stack_free(jitStack);
    pcre2_match_context_free(context);
  }
};

CMatchEnvironment& Environment() {
  static CMatchEnvironment environment;
  return environment;
}

uint32_t MatchLimitFor(std::size_t textSize) {
  std::size_t limit = kMatchLimitBase + kMatchLimitPerByte * textSize;
  return limit > kMatchLimitMax ? kMatchLimitMax : static_cast<uint32_t>(limit);
}

}  // namespace

struct CRegExp::CCompiled {
  pcre2_code* code = nullptr;
  pcre2_match_data* data = nullptr;
  ~CCompiled() {
    if (data)
      pcre2_match_data_free(data);
    if (code)
      pcre2_code_free(code);
  }
};

std::string CRegExpMatch::SubMatch(int index) const {
  if (index < 0 || index >= static_cast<int>(m_groups.size()) || !m_text)
    return {};
  const CSpan& span = m_groups[static_cast<std::size_t>(index)];
  if (!span.set)
    return {};
  return m_text->substr(span.start, span.length);
}

CRegExp::CRegExp() = default;

CRegExp::CRegExp(std::string_view pattern, bool global, bool multiline)
    : m_pattern(pattern), m_global(global), m_multiline(multiline) {}

CRegExp::~CRegExp() = default;
CRegExp::CRegExp(CRegExp&&) noexcept = default;
CRegExp& CRegExp::operator=(CRegExp&&) noexcept = default;

void CRegExp::SetPattern(std::string_view pattern) {
  if (pattern != m_pattern || !m_compiled) {
    m_pattern = pattern;
    m_compiled.reset();
  }
}

void CRegExp::SetGlobal(bool global) { m_global = global; }

void CRegExp::SetMultiline(bool multiline) {
  if (multiline != m_multiline) {
    m_multiline = multiline;
    m_compiled.reset();
  }
}

void CRegExp::Compile() {
  if (m_compiled)
    return;
  uint32_t options = PCRE2_DOLLAR_ENDONLY;
  if (m_multiline)
    options = PCRE2_MULTILINE;
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  // Line ends of text-mode input are single newlines; "." and the anchors
  // treat a carriage return as a line end too, as ECMAScript does.
  pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(m_pattern.data()), m_pattern.size(), options,
                                   &error, &offset, context);
  pcre2_compile_context_free(context);
  if (!code)
    throw CRegExpError("Bad pattern at offset " + std::to_string(offset) + ": " + ErrorText(error), error);
  auto compiled = std::make_unique<CCompiled>();
  compiled->code = code;
  // Without JIT support (or when JIT compilation fails) the interpreter runs.
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  compiled->data = pcre2_match_data_create_from_pattern(code, nullptr);
  if (!compiled->data)
    throw CRegExpError("Out of memory for match data", PCRE2_ERROR_NOMEMORY);
  m_compiled = std::move(compiled);
}

template <typename OnMatch>
void CRegExp::Scan(std::string_view text, bool all, OnMatch&& onMatch) {
  Compile();
  auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  pcre2_match_context* context = Environment().context;
  pcre2_set_match_limit(context, MatchLimitFor(text.size()));
  PCRE2_SIZE start = 0;
  while (start <= text.size()) {
    int rc = pcre2_match(m_compiled->code, subject, text.size(), start, 0, m_compiled->data, context);
    if (rc == PCRE2_ERROR_NOMATCH)
      return;
    if (rc < 0)
      throw CRegExpError("Pattern matching failed: " + ErrorText(rc), rc);
    PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(m_compiled->data);
    onMatch(ovector, rc);
    if (!all)
      return;
    // After an empty match the next search starts one character on, as
    // ECMAScript's lastIndex does.
    start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
  }
}

int CRegExp::Execute(std::string_view text) {
  m_matches.clear();
  auto kept = std::make_shared<const std::string>(text);
  uint32_t groups = 0;
  Compile();
  pcre2_pattern_info(m_compiled->code, PCRE2_INFO_CAPTURECOUNT, &groups);
  try {
    Scan(*kept, m_global, [&](const PCRE2_SIZE* ovector, int rc) {
      CRegExpMatch match;
      match.m_text = kept;
      match.m_position = ovector[0];
      match.m_length = ovector[1] - ovector[0];
      match.m_groups.resize(groups);
      for (uint32_t g = 0; g < groups; ++g) {
        PCRE2_SIZE begin = ovector[2 * (g + 1)];
        PCRE2_SIZE end = ovector[2 * (g + 1) + 1];
        if (static_cast<int>(g + 1) < rc && begin != PCRE2_UNSET)
          match.m_groups[g] = CRegExpMatch::CSpan{begin, end - begin, true};
      }
      m_matches.push_back(std::move(match));
    });
  } catch (const CRegExpError&) {
    // A search that fails part-way leaves no matches behind, so a caller that
    // catches the error cannot walk a partial result.
    m_matches.clear();
    throw;
  }
  return static_cast<int>(m_matches.size());
}

const CRegExpMatch& CRegExp::GetMatch(int index) const {
  if (index < 0 || index >= static_cast<int>(m_matches.size()))
    throw CRegExpError("Match index out of range", PCRE2_ERROR_BADDATA);
  return m_matches[static_cast<std::size_t>(index)];
}

std::string CRegExp::Replace(std::string_view text, std::string_view replacement) {
  std::string out;
  std::size_t copied = 0;
  Scan(text, m_global, [&](const PCRE2_SIZE* ovector, int) {
    out.append(text.substr(copied, ovector[0] - copied));
    out.append(replacement);
    copied = ovector[1];
  });
  out.append(text.substr(copied));
  return out;
}

bool CRegExp::Test(std::string_view text) {
  bool found = false;
  Scan(text, false, [&](const PCRE2_SIZE*, int) { found = true; });
  return found;
}
