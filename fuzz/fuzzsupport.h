// Helpers the fuzz targets share: the input as text, split into parts, and the fixture folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

inline std::string_view InputText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Splits at the first NUL byte, so that one input can carry two texts; without
// one the second text is empty.
std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view input);

// False when the file cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The crafted knowledge base of the tests: headers to include, a description
// to fall back on.
std::string FixtureFolder(const std::string& relative);
