// Building blocks of the patterns that find specially worded block comments in headers and sources.
#pragma once

// The start of a comment and the text before its heading words; it never
// crosses into another comment.
inline constexpr const char* kCommentStart = R"(\/\*((?:(?:.|[\n])(?!\/\*)(?!\*\/))*?))";

// The gap between two heading words: on one line, inside one comment and at
// most 200 characters. Without these bounds a file that is one long line of
// heading words costs time quadratic in its length.
inline constexpr const char* kHeadingGap = R"((?:(?!\/\*)(?!\*\/).){0,200}?)";

// The rest of the comment after its heading. Once the heading is found,
// failing to reach the comment's end cannot be mended by another heading in
// the same comment, so the engine gives up this start at once (PRUNE) instead
// of retrying every later position of an unterminated comment.
inline constexpr const char* kCommentRest = R"((*PRUNE)((?:(?:.|[\n])(?!\/\*))*?)\*\/)";
