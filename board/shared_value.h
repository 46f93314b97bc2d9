#pragma once
// A 16-bit value one thread keeps and another reads: stored and read whole.

#include <atomic>
#include <cstdint>

class SharedU16 {
 public:
  constexpr SharedU16(uint16_t v = 0) : value_(v) {}
  SharedU16(const SharedU16& other) : value_(uint16_t(other)) {}
  SharedU16& operator=(const SharedU16& other) { return *this = uint16_t(other); }
  SharedU16& operator=(uint16_t v) {
    value_.store(v, std::memory_order_relaxed);
    return *this;
  }
  operator uint16_t() const { return value_.load(std::memory_order_relaxed); }

 private:
  std::atomic<uint16_t> value_;
};
