#include "board/settings_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char* staging = ".tmp";

// Writes and flushes to stable storage before the rename makes it visible.
bool WriteAll(std::FILE* file, const uint8_t* bytes, size_t size) {
  return std::fwrite(bytes, 1, size, file) == size && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

}  // namespace

void WindowSettings::SetWord(int index, uint16_t value) {
  bytes_[WordOffset(index)] = uint8_t(value);
  bytes_[WordOffset(index) + 1] = uint8_t(value >> 8);
}

void WindowSettings::SetByte(int index, uint8_t value) { bytes_[ByteOffset(index)] = value; }

WindowSettings WindowSettings::FromBytes(const uint8_t* bytes, size_t length) {
  WindowSettings settings;
  settings.length_ = length < windowPartSize ? length : windowPartSize;
  for (size_t i = 0; i < settings.length_; ++i) settings.bytes_[i] = bytes[i];
  return settings;
}

bool SettingsFile::Publish() const {
  if (std::rename(Beside(staging).c_str(), path_.c_str()) == 0) return true;
  std::remove(Beside(staging).c_str());
  return false;
}

void SettingsFile::LoadNvImage(uint8_t* image, int32_t size) const {
  std::FILE* file = std::fopen(path_.c_str(), "rb");
  if (!file) return;
  // Read aside first: a read that fails part-way leaves the image as it was.
  const size_t length = static_cast<size_t>(size);
  std::vector<uint8_t> bytes(length);
  const size_t read = std::fread(bytes.data(), 1, length, file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (!failed) std::copy_n(bytes.begin(), read, image);
}

std::optional<WindowSettings> SettingsFile::LoadWindowSettings() const {
  std::FILE* file = std::fopen(path_.c_str(), "rb");
  if (!file) return std::nullopt;
  uint8_t bytes[windowPartSize];
  size_t length = 0;
  if (std::fseek(file, long(nvPartSize), SEEK_SET) == 0) length = std::fread(bytes, 1, windowPartSize, file);
  std::fclose(file);
  return WindowSettings::FromBytes(bytes, length);
}

bool SettingsFile::StageNvImage(const uint8_t* image, int32_t size, bool publish) const {
  std::FILE* file = std::fopen(Beside(staging).c_str(), "wb");
  if (!file) return false;
  const bool written = WriteAll(file, image, size_t(size));
  if (std::fclose(file) != 0 || !written) {
    std::remove(Beside(staging).c_str());
    return false;
  }
  return !publish || Publish();
}

bool SettingsFile::CompleteSettingsSave(const WindowSettings& settings) const {
  std::FILE* file = std::fopen(Beside(staging).c_str(), "r+b");
  if (!file) return false;  // nothing staged: the previous file stays
  const bool written = std::fseek(file, long(nvPartSize), SEEK_SET) == 0 &&
                       WriteAll(file, settings.Data(), windowPartSize);
  // A window part that could not be written whole is cut off again.
  const bool trimmed = written || ftruncate(fileno(file), long(nvPartSize)) == 0;
  if (std::fclose(file) != 0 || !trimmed) {
    std::remove(Beside(staging).c_str());
    return false;
  }
  return Publish() && written;
}

bool SettingsFile::SaveSettings(const uint8_t* image, int32_t size, const WindowSettings& settings) const {
  return StageNvImage(image, size, false) && CompleteSettingsSave(settings);
}

std::string SettingsFile::SetAsideRejectedSettings() const {
  namespace fs = std::filesystem;
  const fs::path& file = path_;
  const fs::path kept = Beside(".rejected");
  std::error_code failed;
  const fs::file_status status = fs::symlink_status(file, failed);
  if (!fs::exists(status)) return {};
  const bool regular = fs::is_regular_file(status);
  const uintmax_t size = regular ? fs::file_size(file, failed) : 0;
  if (regular && (size == hardwareFileSize || size == nvPartSize)) return {};
  fs::remove_all(kept, failed);
  if (regular) {
    fs::copy_file(file, kept, failed);
  } else {
    fs::rename(file, kept, failed);
  }
  const std::string what = regular ? std::to_string(size) + " bytes long, not " + std::to_string(hardwareFileSize)
                                   : "not a file";
  if (failed) {
    return file.string() + " is " + what + ", and it could not be kept as " + kept.string() + ": " +
           failed.message() + "; the next save will replace it.\n";
  }
  return file.string() + " is " + what + "; it is kept as " + kept.string() +
         " and the simulator starts from what it could read.\n";
}

SettingsLock::SettingsLock(const SettingsFile& file) {
  const std::string name = file.Path().string() + ".lock";
  descriptor_ = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  held_ = descriptor_ >= 0 && flock(descriptor_, LOCK_EX | LOCK_NB) == 0;
}

SettingsLock::~SettingsLock() {
  if (descriptor_ >= 0) close(descriptor_);
}
