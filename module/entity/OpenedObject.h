// A database object open for as long as the guard lives: the guard closes it on every path.
#pragma once
#include <utility>

template <typename T>
class OpenedObject {
 public:
  OpenedObject() = default;
  explicit OpenedObject(T* object) : object_(object) {}
  ~OpenedObject() { reset(); }
  OpenedObject(const OpenedObject&) = delete;
  OpenedObject& operator=(const OpenedObject&) = delete;
  OpenedObject(OpenedObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  OpenedObject& operator=(OpenedObject&& other) noexcept {
    if (this != &other) {
      reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Closes the object now (nothing happens when none is held).
  void reset(T* object = nullptr) {
    if (object_ != nullptr) object_->close();
    object_ = object;
  }
  // Hands the open object back to the caller, who closes it.
  T* release() { return std::exchange(object_, nullptr); }

 private:
  T* object_ = nullptr;
};
