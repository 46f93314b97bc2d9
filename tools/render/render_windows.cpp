// Renders both windows to PNG files without a display: the front panel in
// each view, the hardware control window, each without and with VdS mode,
// and each once more with every picture control showing its other image.
//
//   qx40-render [--help] [--version] [FOLDER]     (default: render)

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "machine/command_line.h"
#include "machine/machine.h"
#include "qt/offscreen.h"
#include "windows/hardwarecontrol.h"
#include "windows/maindisplay.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* usage =
    "usage: qx40-render [--help] [--version] [FOLDER]\n"
    "Draws both windows into PNG files in FOLDER (default: render), each view\n"
    "without and with VdS mode; exit code 1 if a file could not be written.\n"
    "It starts from defaults in a scratch directory and never touches Hardware.dat.\n";

constexpr int allSegments = 8;  // the digit image with every segment lit

std::vector<TImageSelector*> Selectors(const TForm& window) {
  std::vector<TImageSelector*> selectors;
  for (TControl* control : window.Controls()) {
    if (auto* selector = dynamic_cast<TImageSelector*>(control)) selectors.push_back(selector);
  }
  return selectors;
}

// Every picture control shows its other image; the digits show all segments.
// Gives back what each showed before.
std::vector<int> ShowOtherImages(const TForm& window) {
  std::vector<int> before;
  for (TImageSelector* selector : Selectors(window)) {
    before.push_back(selector->ItemIndex());
    const TImageList* list = selector->ImageList();
    const bool twoImages = list && list->Count() == 2;
    selector->SetItemIndex(twoImages ? 1 - selector->ItemIndex() : allSegments);
  }
  return before;
}

void Restore(const TForm& window, const std::vector<int>& indices) {
  const std::vector<TImageSelector*> selectors = Selectors(window);
  for (size_t i = 0; i < selectors.size(); ++i) selectors[i]->SetItemIndex(indices[i]);
}

bool Save(const TForm& window, const fs::path& folder, const std::string& name) {
  const std::string path = (folder / (name + ".png")).string();
  const bool saved = SaveFormPng(window, path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", path.c_str());
  return saved;
}

// The window as it stands, then with every picture control flipped.
bool SaveBoth(const TForm& window, const fs::path& folder, const std::string& name) {
  bool saved = Save(window, folder, name);
  const std::vector<int> before = ShowOtherImages(window);
  saved = Save(window, folder, name + "-other") && saved;
  Restore(window, before);
  return saved;
}

void SetVdSMode(TfrmHardwareControl& hardware, bool on) {
  if ((hardware.VdSModeSelect->ItemIndex() != 0) == on) return;
  hardware.ToggleImage(hardware.VdSModeSelect, MouseButton::Left, 0, 0, 0);
}

// The windows start from defaults and their save must not touch the caller's Hardware.dat.
bool EnterScratchDirectory(fs::path& scratch) {
  std::string pattern = (fs::temp_directory_path() / "qx40-render-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return false;
  scratch = pattern;
  std::error_code failed;
  fs::current_path(scratch, failed);
  return !failed;
}

bool RenderAll(const fs::path& folder, WindowHost& host) {
  Machine machine(BoardPacing::Stepped, &host);
  TfrmMainDisplay& front = machine.front();
  TfrmHardwareControl& hardware = machine.hardware();
  front.Show();
  hardware.Show();
  bool saved = true;
  const auto views = {std::pair<const char*, void (*)(TfrmMainDisplay&)>{"marvane", [](TfrmMainDisplay&) {}},
                      {"corvella", [](TfrmMainDisplay& f) { f.SelectCorvellaFasciaClick(f.SelectCorvellaFascia); }},
                      {"board", [](TfrmMainDisplay& f) { f.SelectCoverOffClick(f.SelectCoverOff); }}};
  for (const bool vds : {false, true}) {
    SetVdSMode(hardware, vds);
    const std::string mode = vds ? "-vds" : "";
    for (const auto& [view, select] : views) {
      select(front);
      saved = SaveBoth(front, folder, std::string("front-") + view + mode) && saved;
    }
    front.SelectCoverOffClick(front.SelectCoverOff);  // cover back on
    front.SelectMarvaneFasciaClick(front.SelectMarvaneFascia);
    saved = SaveBoth(hardware, folder, "hardware" + mode) && saved;
  }
  return saved;
}

// The folder to draw into; an exit code instead when there is nothing to draw.
std::variant<fs::path, int> ReadCommandLine(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> answered = AnswerHelpOrVersion(arguments, "qx40-render", usage, std::cout)) {
    return *answered;
  }
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0 || arguments[i].starts_with('-')) return RejectArgument("qx40-render", arguments[i], usage, std::cerr);
  }
  return fs::absolute(arguments.empty() ? "render" : arguments.front());
}

}  // namespace

int main(int argc, char** argv) {
  const std::variant<fs::path, int> read = ReadCommandLine(argc, argv);
  if (const int* code = std::get_if<int>(&read)) return *code;
  const fs::path folder = std::get<fs::path>(read);
  OffscreenGui gui(argc, argv);
  std::error_code failed;
  fs::create_directories(folder, failed);
  if (failed) {
    std::fprintf(stderr, "cannot create %s: %s\n", folder.c_str(), failed.message().c_str());
    return 1;
  }
  fs::path scratch;
  if (!EnterScratchDirectory(scratch)) {
    std::fprintf(stderr, "cannot create a scratch directory\n");
    return 1;
  }
  const bool saved = RenderAll(folder, gui.Host());
  fs::current_path(folder, failed);
  fs::remove_all(scratch, failed);
  return saved ? 0 : 1;
}
