#include "windows/imageselector.h"

#include <algorithm>

namespace {
constexpr int defaultSize = 105;
}  // namespace

TImageSelector::TImageSelector(TControl* parent, std::string name) : TControl(parent, std::move(name)) {
  SetBounds(0, 0, defaultSize, defaultSize);
}

void TImageSelector::SetImageList(TImageList* list) {
  if (list == ImageList()) return;
  imageList_.store(list, std::memory_order_release);
  AdjustSize();
  Invalidate();
  if (list && list->Count() > 0 && list->Count() > ItemIndex()) return;
  SetItemIndex(0);
}

void TImageSelector::ChangeItemIndex(int index) {
  const TImageList* list = ImageList();
  if (list && list->Count() > 0) index = std::clamp(index, 0, list->Count() - 1);
  itemIndex_.store(index, std::memory_order_relaxed);
  Invalidate();
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
  Invalidate();
}

bool TImageSelector::CanAutoSize(int& newWidth, int& newHeight) {
  const TImageList* list = ImageList();
  if (!list) return false;
  newWidth = list->Width();
  newHeight = list->Height();
  return true;
}
