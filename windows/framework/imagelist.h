#pragma once
// Image lists: Count frames of Width x Height, drawn by the front end from
// the artwork file assets/<Name>.png, a horizontal strip of the frames in
// index order. The windows keep only the list's shape; the pixels are the
// front end's.

#include <string>

class TImageList {
 public:
  TImageList(std::string name, int width, int height, int count)
      : name_(std::move(name)), width_(width), height_(height), count_(count) {}

  const std::string& Name() const { return name_; }
  std::string File() const { return name_ + ".png"; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return count_; }

 private:
  std::string name_;
  int width_;
  int height_;
  int count_;
};
