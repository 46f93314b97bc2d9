// Renders both windows to PNG files without a display: the front panel in
// each view, the hardware control window, each without and with VdS mode,
// and each once more with every picture control showing its other image.
//
//   qx40-render [folder]     (default: render)

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QPixmap>
#include <cstdio>
#include <vector>

#include "ui/hardwarecontrol.h"
#include "ui/maindisplay.h"

namespace {

constexpr int allSegments = 8;  // the digit image with every segment lit

// Every picture control shows its other image; the digits show all segments.
// Gives back what each showed before.
std::vector<int> ShowOtherImages(const QWidget& window) {
  std::vector<int> before;
  for (TImageSelector* selector : window.findChildren<TImageSelector*>()) {
    before.push_back(selector->ItemIndex());
    const TImageList* list = selector->ImageList();
    const bool twoImages = list && list->Count() == 2;
    selector->SetItemIndex(twoImages ? 1 - selector->ItemIndex() : allSegments);
  }
  return before;
}

void Restore(const QWidget& window, const std::vector<int>& indices) {
  const QList<TImageSelector*> selectors = window.findChildren<TImageSelector*>();
  for (qsizetype i = 0; i < selectors.size(); ++i) selectors[i]->SetItemIndex(indices[size_t(i)]);
}

bool Save(QWidget& window, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name + ".png");
  const bool saved = window.grab().save(path, "PNG");
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

// The window as it stands, then with every picture control flipped.
bool SaveBoth(QWidget& window, const QDir& folder, const QString& name) {
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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QDir folder(QDir(argc > 1 ? argv[1] : "render").absolutePath());
  if (!QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
    return 1;
  }
  // The windows start from defaults and their save must not touch the caller's Hardware.dat.
  QTemporaryDir scratch;
  if (!scratch.isValid() || !QDir::setCurrent(scratch.path())) {
    std::fprintf(stderr, "cannot create a scratch directory\n");
    return 1;
  }

  TfrmMainDisplay front;
  frmMainDisplay = &front;
  TfrmHardwareControl hardware(BoardPacing::Stepped);
  frmHardwareControl = &hardware;
  front.show();
  hardware.show();

  bool saved = true;
  const auto views = {std::pair<const char*, void (*)(TfrmMainDisplay&)>{"marvane", [](TfrmMainDisplay&) {}},
                      {"corvella", [](TfrmMainDisplay& f) { f.SelectCorvellaFasciaClick(f.SelectCorvellaFascia); }},
                      {"board", [](TfrmMainDisplay& f) { f.SelectCoverOffClick(f.SelectCoverOff); }}};
  for (const bool vds : {false, true}) {
    SetVdSMode(hardware, vds);
    const QString mode = vds ? "-vds" : "";
    for (const auto& [view, select] : views) {
      select(front);
      saved = SaveBoth(front, folder, QString("front-%1%2").arg(view, mode)) && saved;
    }
    front.SelectCoverOffClick(front.SelectCoverOff);  // cover back on
    front.SelectMarvaneFasciaClick(front.SelectMarvaneFascia);
    saved = SaveBoth(hardware, folder, "hardware" + mode) && saved;
  }

  frmHardwareControl = nullptr;
  frmMainDisplay = nullptr;
  return saved ? 0 : 1;
}
