// CServerInfoReader: the key=value lines of a server information file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "newscout/newscoutdate.h"

// What the server says about the package it offers.
struct CServerAnswer {
  std::uint32_t size = 0;
  CNewscoutDate date;
  std::string version;
};

class CServerInfoReader {
 public:
  CServerInfoReader(CServerAnswer& answer, std::string& downloadLink) : m_answer(answer), m_link(downloadLink) {}

  // Longer versions are cut, with an ellipsis.
  static constexpr std::size_t kMaxVersionChars = 100;

  // True when the line set the version, the link, the size or the date.
  bool ReadLine(std::string_view line);
  // True when at least one line of the text was understood.
  bool ReadText(std::string_view text);

 private:
  CServerAnswer& m_answer;
  std::string& m_link;
};

// Only web addresses may be opened as download pages: a text from the network
// must never start a local program or open a local file.
bool IsWebLink(std::string_view link);
