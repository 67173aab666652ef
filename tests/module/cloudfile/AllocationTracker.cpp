// Replaces the global operator new and delete of this test program with versions that note
// the largest request while the tracker is armed.
#include "AllocationTracker.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<size_t> largest{0};
std::atomic<size_t> failAtLeast{0};  // 0: no failure waiting
std::atomic<bool> failed{false};

void* Allocate(size_t size) {
  size_t threshold = failAtLeast.load(std::memory_order_relaxed);
  if (threshold != 0 && size >= threshold && failAtLeast.compare_exchange_strong(threshold, 0)) {
    failed = true;
    throw std::bad_alloc();
  }
  if (armed.load(std::memory_order_relaxed)) {
    size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

namespace allocation_tracker {

void Arm() {
  largest = 0;
  armed = true;
}

size_t Disarm() {
  armed = false;
  return largest.load();
}

void FailNextAtLeast(size_t bytes) {
  failed = false;
  failAtLeast = bytes;
}

bool TakeFailure() {
  failAtLeast = 0;
  return failed.exchange(false);
}

}  // namespace allocation_tracker

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
