// A save killed at any moment: a child process saves over and over and is
// killed at a random point of its work; what it leaves is always one complete
// file, the old or the new.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "board/settings_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

WindowSettings WindowPartOf(uint8_t fill) {
  WindowSettings settings;
  for (int i = 0; i < windowWordCount; ++i) settings.SetWord(i, uint16_t(fill * 0x101));
  for (int i = 0; i < windowByteCount; ++i) settings.SetByte(i, fill);
  return settings;
}

void Save(uint8_t fill) {
  const Bytes image(nvPartSize, fill);
  SettingsFile().StageNvImage(image.data(), int32_t(image.size()), false);
  SettingsFile().CompleteSettingsSave(WindowPartOf(fill));
}

Bytes FileOf(uint8_t fill) {
  Bytes file(nvPartSize, fill);
  const WindowSettings window = WindowPartOf(fill);
  file.insert(file.end(), window.Data(), window.Data() + windowPartSize);
  return file;
}

Bytes ReadFile() {
  std::ifstream in(hardwareFileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Saves the two contents in turn for ever, telling the parent before each.
[[noreturn]] void SaveForEver(int tell) {
  for (uint8_t round = 0;; ++round) {
    if (write(tell, &round, 1) != 1) _exit(1);
    Save(round & 1 ? 0xB2 : 0xA1);
  }
}

}  // namespace

TEST(InterruptedSave, AKillAtAnyMomentLeavesTheOldOrTheNewCompleteFile) {
  const Bytes first = FileOf(0xA1), second = FileOf(0xB2);
  Save(0xA1);
  std::mt19937 rng(99);
  for (int kill = 0; kill < 60; ++kill) {
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(channel[0]);
      SaveForEver(channel[1]);
    }
    close(channel[1]);
    // Killed somewhere inside one of its next saves.
    uint8_t round = 0;
    for (unsigned saves = 1 + rng() % 8; saves > 0; --saves) ASSERT_EQ(read(channel[0], &round, 1), 1);
    ::kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(channel[0]);
    const Bytes left = ReadFile();
    ASSERT_TRUE(left == first || left == second) << "kill " << kill << ": " << left.size() << " bytes";
  }
}
