// Small text conversions shared by the knowledge-base readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

std::string Trim(std::string_view text);
std::string TrimRight(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string ToLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Cuts `text` at every character of `delimiters`; consecutive delimiters give
// empty pieces, and a text ending in a delimiter gives a last empty piece.
std::vector<std::string> SplitAny(std::string_view text, std::string_view delimiters);

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// A piece of a header as a message quotes it: whole up to kQuoteLimit
// characters, else its beginning and an ellipsis, so that a declaration of a
// megabyte does not become a message of a megabyte.
inline constexpr std::size_t kQuoteLimit = 300;
std::string QuoteExcerpt(std::string_view text);
// Replaces `word` only where it stands as a whole C identifier.
std::string ReplaceIdentifier(std::string_view text, std::string_view word, std::string_view replacement);

// The last component of a path (after the last slash or backslash).
std::string FileNamePart(std::string_view path);
// The extension of a file name including its full stop, or empty.
std::string ExtensionPart(std::string_view path);
// `path` without `folder` (and the separator after it) at its front, with
// forward slashes; `path` unchanged apart from the slashes when it lies elsewhere.
std::string RelativeToFolder(std::string_view path, std::string_view folder);
