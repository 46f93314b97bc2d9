#pragma once
// The picture control of every button, LED, switch, link, relay and digit:
// it shows image ItemIndex of its image list and nothing else.

#include <atomic>

#include "board/board_wiring.h"
#include "windows/framework/controls.h"
#include "windows/framework/imagelist.h"

class TImageSelector : public TControl, public ControlState {
 public:
  TImageSelector(TControl* parent, std::string name);

  // Not owned; may be null.
  TImageList* ImageList() const { return imageList_.load(std::memory_order_acquire); }
  void SetImageList(TImageList* list);

  // Any thread may read and set the index. A change tells the host, which
  // draws it on its own thread; setting the value already held tells nobody.
  int ItemIndex() const override { return itemIndex_.load(std::memory_order_relaxed); }
  void SetItemIndex(int index) override {
    if (index != itemIndex_.load(std::memory_order_relaxed)) ChangeItemIndex(index);
  }
  void NextImage();
  void PrevImage();

  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

  bool Visible() const override { return TControl::Visible(); }
  int Tag() const override { return TControl::Tag(); }
  void SetTag(int tag) override { TControl::SetTag(tag); }

 protected:
  bool CanAutoSize(int& newWidth, int& newHeight) override;

 private:
  // Kept out of line: the board's updates mostly set the index already held.
  void ChangeItemIndex(int index);

  std::atomic<TImageList*> imageList_{nullptr};
  std::atomic<int> itemIndex_{0};
  bool stretch_ = false;
};
