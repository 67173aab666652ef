// A fixed-size array for the arrays of a loaded cloud image. Unlike std::vector it does not
// zero its elements first: the reader overwrites every element with file data, and a
// 50,000,000-point image should not be written twice.
#pragma once
#include <cstddef>
#include <memory>
#include <span>

template <class T>
class KmqArray {
 public:
  KmqArray() = default;
  explicit KmqArray(size_t size)
      : elements_(size == 0 ? nullptr : std::make_unique_for_overwrite<T[]>(size)), size_(size) {}

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return elements_.get(); }
  const T* data() const { return elements_.get(); }
  T& operator[](size_t i) { return elements_[i]; }
  const T& operator[](size_t i) const { return elements_[i]; }
  T* begin() { return data(); }
  T* end() { return data() + size_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  operator std::span<const T>() const { return {data(), size_}; }

 private:
  std::unique_ptr<T[]> elements_;
  size_t size_ = 0;
};
