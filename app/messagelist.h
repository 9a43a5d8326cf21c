// The list of messages in the user's manual: each message's number and text as
// the program's catalog holds them, so the list never drifts from what the
// program shows, with the advice kept beside the manual's sources.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct CMessageAdvice {
  std::map<int, std::string> advice;
  // Lines that are no part of an entry, numbers given twice, numbers without advice.
  std::vector<std::string> problems;
};

// The advice text: a line holding only a number starts the advice for that
// message, the lines up to the next number are its advice (joined into one
// paragraph); lines starting with ";" are comments.
CMessageAdvice ReadMessageAdvice(std::string_view text);

// The catalog's numbers a user can meet as a message of the desktop program or
// of kivovam-cli, in order.
std::vector<int> ListedMessageIds();

// A message's text for reading: line breaks become blanks, each place the
// program fills in becomes "…".
std::string MessageTemplateText(std::string_view text);

// Markdown: a table of number, message and what to do, one row per listed
// message; a message without advice gets an empty cell.
std::string WriteMessageList(const CMessageAdvice& advice);
