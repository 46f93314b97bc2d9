#include "ui/imageselector.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {
constexpr int defaultSize = 105;
constexpr int repaintIntervalMs = 10;  // one board tick
const QColor blankFill = Qt::white;

// Window thread only: every live selector, and the timer that repaints the
// ones other threads changed.
std::vector<TImageSelector*> selectors;
QPointer<QTimer> repaintTimer;
// Raised by any thread with a selector's own flag; spares the timer a scan.
std::atomic<bool> anyPaintQueued{false};

void StartRepaintTimer() {
  if (repaintTimer || !QCoreApplication::instance()) return;
  repaintTimer = new QTimer(QCoreApplication::instance());
  QObject::connect(repaintTimer, &QTimer::timeout, &TImageSelector::RepaintQueued);
  repaintTimer->start(repaintIntervalMs);
}
}  // namespace

TImageSelector::TImageSelector(QWidget* parent, const QString& name) : TControl(parent, name) {
  SetBounds(0, 0, defaultSize, defaultSize);
  selectors.push_back(this);
  StartRepaintTimer();
}

TImageSelector::~TImageSelector() { std::erase(selectors, this); }

void TImageSelector::RepaintQueued() {
  if (!anyPaintQueued.exchange(false)) return;
  for (TImageSelector* selector : selectors) {
    if (selector->paintQueued_.exchange(false)) selector->repaint();
  }
}

void TImageSelector::SetImageList(TImageList* list) {
  if (list == ImageList()) return;
  imageList_.store(list, std::memory_order_release);
  AdjustSize();
  update();
  if (list && list->Count() > 0 && list->Count() > ItemIndex()) {
    Paint();
    return;
  }
  SetItemIndex(0);
}

void TImageSelector::SetItemIndex(int index) {
  if (index == ItemIndex()) return;
  const TImageList* list = ImageList();
  if (list && list->Count() > 0) index = std::clamp(index, 0, list->Count() - 1);
  itemIndex_.store(index, std::memory_order_relaxed);
  Paint();
}

void TImageSelector::NextImage() {
  const TImageList* list = ImageList();
  if (!list) return;
  SetItemIndex(ItemIndex() == list->Count() - 1 ? 0 : ItemIndex() + 1);
}

void TImageSelector::PrevImage() {
  const TImageList* list = ImageList();
  if (!list) return;
  SetItemIndex(ItemIndex() == 0 ? list->Count() - 1 : ItemIndex() - 1);
}

void TImageSelector::SetStretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  update();
  Paint();
}

bool TImageSelector::CanAutoSize(int& newWidth, int& newHeight) {
  const TImageList* list = ImageList();
  if (!list) return false;
  newWidth = list->Width();
  newHeight = list->Height();
  return true;
}

// Draws now on the window thread; from any other thread leaves a flag for
// the repaint timer, however many changes come before it runs.
void TImageSelector::Paint() {
  if (QThread::currentThread() == thread()) {
    repaint();
    return;
  }
  paintQueued_.store(true);
  anyPaintQueued.store(true);
}

void TImageSelector::paintEvent(QPaintEvent*) {
  const TImageList* list = ImageList();
  if (!list || list->Count() == 0) return;
  const int index = ItemIndex();
  QImage bitmap(list->Width(), list->Height(), QImage::Format_RGB32);
  bitmap.fill(blankFill);
  QPainter(&bitmap).drawImage(0, 0, list->Image(index));
  QPainter painter(this);
  if (stretch_) {
    painter.drawImage(rect(), bitmap);
  } else {
    painter.drawImage(0, 0, bitmap);
  }
  paintedIndex_ = index;
  ++paintCount_;
}
