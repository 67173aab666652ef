// Running the parts of one job on threads of their own (the cloud writer's sorting and
// encoding, the display's bucket sort): kept with the cloud file code, the layer below all others.
#pragma once
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace pelvar {

// Runs work(k) for k = 0 … n - 1, part 0 on the calling thread and the others on threads of
// their own (on the calling thread too when no thread can be started). The first exception
// a part throws is thrown again once every part has ended.
template <typename Work>
void RunParts(size_t n, const Work& work) {
  std::vector<std::exception_ptr> failures(n);
  auto guarded = [&](size_t k) {
    try {
      work(k);
    } catch (...) {
      failures[k] = std::current_exception();
    }
  };
  // Reserved first: nothing may throw here once a thread is running.
  std::vector<std::thread> threads;
  threads.reserve(n);
  std::vector<size_t> leftOver;
  leftOver.reserve(n);
  for (size_t k = 1; k < n; ++k) {
    try {
      threads.emplace_back(guarded, k);
    } catch (...) {  // no thread to be had (std::system_error, std::bad_alloc)
      leftOver.push_back(k);
    }
  }
  guarded(0);
  for (size_t k : leftOver) guarded(k);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace pelvar
