#pragma once
// Files the scenario tests write and read back, and a substring check.

#include <fstream>
#include <sstream>
#include <string>

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
