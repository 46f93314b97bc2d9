#include "ui/imageselector.h"

#include <QPainter>
#include <QThread>

namespace {
constexpr int defaultSize = 105;
const QColor blankFill = Qt::white;
}  // namespace

TImageSelector::TImageSelector(QWidget* parent, const QString& name) : TControl(parent, name) {
  SetBounds(0, 0, defaultSize, defaultSize);
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

// Draws now on the window thread; from any other thread asks the window
// thread once, however many changes come before it gets round to it.
void TImageSelector::Paint() {
  if (QThread::currentThread() == thread()) {
    repaint();
    return;
  }
  if (paintQueued_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        paintQueued_.store(false);
        repaint();
      },
      Qt::QueuedConnection);
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
