#pragma once
// Hardware.dat: the board's non-volatile memory in its first 256 bytes, the
// hardware control window's settings after it (309 bytes in all).
//
// A save is composed in a temporary file beside Hardware.dat and renamed over
// it only once complete, so a crash at any moment leaves either the previous
// file or the new one, never a truncated one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

constexpr const char* hardwareFileName = "Hardware.dat";

constexpr size_t nvPartSize = 256;
constexpr int windowWordCount = 14;   // bar widths, little-endian
constexpr int windowByteCount = 25;   // toggle bytes and the optional-relays state
constexpr size_t windowPartSize = 2 * windowWordCount + windowByteCount;
constexpr size_t hardwareFileSize = nvPartSize + windowPartSize;

// Word indices of the window part.
constexpr int wordZone1 = 0;  // zones 1..8 at 0..7
constexpr int wordSupply = 8;
constexpr int wordBattery = 9;
constexpr int wordCharger = 10;
constexpr int wordRelay1 = 11;
constexpr int wordRelay2 = 12;
constexpr int wordTransmissionDevice = 13;

// Byte indices of the window part.
constexpr int byteSounder1FaultInput = 0;
constexpr int byteSounder2FaultInput = 1;
constexpr int byteCapEOLZone1 = 2;  // zones 1..8 at 2..9
constexpr int byteDigitalInput1 = 10;
constexpr int byteDigitalInput2 = 11;
constexpr int bytePSUMainsInput = 12;
constexpr int byteAuxiliarySupplyFault = 13;
constexpr int byteChargerFault = 14;
constexpr int byteEarthHoldHigh = 15;
constexpr int byteEarthHoldLow = 16;
constexpr int byteVdSModeSelect = 17;
constexpr int byteFourZonePanel = 18;
constexpr int byteEightZonePanel = 19;
constexpr int byteFWPOvercurrent = 20;
constexpr int byteFWP4Switch = 21;
constexpr int byteFWP5Switch = 22;
constexpr int byteFWP7Switch = 23;
constexpr int byteOptionalRelays = 24;

// The window part as read: items beyond the end of the file are absent.
class WindowSettings {
 public:
  bool HasWord(int index) const { return length_ >= WordOffset(index) + 2; }
  uint16_t Word(int index) const { return uint16_t(bytes_[WordOffset(index)] | bytes_[WordOffset(index) + 1] << 8); }
  bool HasByte(int index) const { return length_ >= ByteOffset(index) + 1; }
  uint8_t Byte(int index) const { return bytes_[ByteOffset(index)]; }

  void SetWord(int index, uint16_t value);
  void SetByte(int index, uint8_t value);
  const uint8_t* Data() const { return bytes_; }

  // What a read of `length` bytes of the window part leaves.
  static WindowSettings FromBytes(const uint8_t* bytes, size_t length);

 private:
  // Where an item lies in the window part, computed in size_t so that nothing narrower can wrap.
  static constexpr size_t WordOffset(int index) { return 2 * static_cast<size_t>(index); }
  static constexpr size_t ByteOffset(int index) { return 2 * windowWordCount + static_cast<size_t>(index); }

  uint8_t bytes_[windowPartSize] = {};
  size_t length_ = windowPartSize;
};

// The Hardware.dat of one machine, in the directory it was given (the
// working directory when none): machines in one process keep theirs apart.
class SettingsFile {
 public:
  explicit SettingsFile(const std::filesystem::path& directory = {}) : path_(directory / hardwareFileName) {}

  const std::filesystem::path& Path() const { return path_; }

  // Reads as much of the board part as the file holds; the rest stays as it
  // is. A missing or unreadable file changes nothing.
  void LoadNvImage(uint8_t* image, int32_t size) const;

  // The window part of the file; empty when the file cannot be opened.
  std::optional<WindowSettings> LoadWindowSettings() const;

  // First half of a save: the board part into the temporary file. With
  // publish set (no window part follows) it replaces Hardware.dat at once.
  bool StageNvImage(const uint8_t* image, int32_t size, bool publish) const;

  // Second half: appends the window part to the staged board part and
  // replaces Hardware.dat with the whole. Where the window part cannot be
  // written the board part alone is published; where nothing was staged
  // nothing changes.
  bool CompleteSettingsSave(const WindowSettings& settings) const;

  // A whole save at once, the board part given (the autosave while running).
  bool SaveSettings(const uint8_t* image, int32_t size, const WindowSettings& settings) const;

  // A Hardware.dat that no save writes (not a regular file, or of another
  // length than a whole save or the board part alone) is kept as
  // Hardware.dat.rejected before a save can replace it: a file is copied
  // (what it holds still loads), a directory moved. Gives the notice for the
  // user; empty when there was nothing to keep.
  std::string SetAsideRejectedSettings() const;

 private:
  std::filesystem::path Beside(const char* suffix) const { return path_.string() + suffix; }
  bool Publish() const;

  std::filesystem::path path_;
};

// One simulator per directory: the lock on Hardware.dat.lock, held until
// destruction. A second simulator there, in this process or another, does
// not get it.
class SettingsLock {
 public:
  explicit SettingsLock(const SettingsFile& file = SettingsFile());
  ~SettingsLock();
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

  bool Held() const { return held_; }

 private:
  int descriptor_ = -1;
  bool held_ = false;
};
