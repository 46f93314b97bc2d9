#include "board/settings_file.h"

#include <cstdio>
#include <string>

const char* const hardwareFileName = "Hardware.dat";

void LoadNvImage(uint8_t* image, int32_t size) {
  std::FILE* file = std::fopen(hardwareFileName, "rb");
  if (!file) return;
  std::fread(image, 1, size_t(size), file);
  std::fclose(file);
}

bool SaveNvImage(const uint8_t* image, int32_t size) {
  const std::string temporary = std::string(hardwareFileName) + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(image, 1, size_t(size), file) == size_t(size);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), hardwareFileName) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
