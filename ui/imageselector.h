#pragma once
// The picture control of every button, LED, switch, link, relay and digit:
// it shows image ItemIndex of its image list and nothing else.

#include <atomic>

#include "board/board_wiring.h"
#include "ui/framework/controls.h"
#include "ui/framework/imagelist.h"

class TImageSelector : public TControl, public ControlState {
  Q_OBJECT

 public:
  TImageSelector(QWidget* parent, const QString& name);
  ~TImageSelector() override;

  // Not owned; may be null. Window thread.
  TImageList* ImageList() const { return imageList_.load(std::memory_order_acquire); }
  void SetImageList(TImageList* list);

  // Any thread may read and set the index. A change is drawn at once from
  // the window thread; from any other it only raises a flag, which the
  // window thread's 10 ms repaint timer takes (nothing allocated, nothing
  // posted). Setting the value already held draws nothing.
  int ItemIndex() const override { return itemIndex_.load(std::memory_order_relaxed); }
  void SetItemIndex(int index) override;
  void NextImage();
  void PrevImage();

  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

  bool Visible() const override { return TControl::Visible(); }
  int Tag() const override { return TControl::Tag(); }
  void SetTag(int tag) override { TControl::SetTag(tag); }

  // What the repaint timer runs on the window thread: draws every selector
  // changed from another thread since the last run.
  static void RepaintQueued();

  // The index drawn by the last paint, and how many paints there were.
  int PaintedIndex() const { return paintedIndex_; }
  int PaintCount() const { return paintCount_; }

 protected:
  bool CanAutoSize(int& newWidth, int& newHeight) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Paint();

  std::atomic<TImageList*> imageList_{nullptr};
  std::atomic<int> itemIndex_{0};
  std::atomic<bool> paintQueued_{false};
  bool stretch_ = false;
  int paintedIndex_ = -1;
  int paintCount_ = 0;
};
