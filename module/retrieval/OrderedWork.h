// Running numbered pieces of work on a few threads while their results are taken in
// number order on the calling thread: the tiles of a fetch or a mirror are downloaded (and
// decoded) side by side, and the caller still sees them one after another, exactly as a
// plain loop would hand them over.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Pieces done ahead of the one being taken, per worker, at most.
inline constexpr size_t kWorkAheadPerWorker = 2;
// While the calling thread waits for the next piece, it asks this often whether to go on.
inline constexpr std::chrono::milliseconds kWaitingPollInterval{100};

// `makeWorker` is called once on each worker thread and gives that thread its work function
// (so each thread can hold its own connection); work(i) runs for i = 0 … count - 1, and
// take(i, outcome) runs on the calling thread in increasing i. When take returns false no
// further outcome is taken, the workers finish the piece in their hands and stop, and the
// call returns false. While the calling thread waits for a piece, `keepWaiting` (when
// given) is asked every kWaitingPollInterval; false stops the run the same way. With one
// worker (or none) everything runs on the calling thread, one piece at a time, work and take
// alternating.
template <typename Outcome>
bool RunInOrder(size_t count, int workers,
                const std::function<std::function<Outcome(size_t)>()>& makeWorker,
                const std::function<bool(size_t, Outcome&)>& take,
                const std::function<bool()>& keepWaiting = nullptr) {
  if (workers <= 1 || count <= 1) {
    std::function<Outcome(size_t)> work = makeWorker();
    for (size_t i = 0; i < count; ++i) {
      Outcome outcome = work(i);
      if (!take(i, outcome)) return false;
    }
    return true;
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::map<size_t, Outcome> done;
  size_t nextToStart = 0, nextToTake = 0;
  bool stopping = false;
  const size_t ahead = kWorkAheadPerWorker * static_cast<size_t>(workers);
  auto run = [&] {
    std::function<Outcome(size_t)> work = makeWorker();
    for (;;) {
      size_t index = 0;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stopping || nextToStart >= count || nextToStart < nextToTake + ahead; });
        if (stopping || nextToStart >= count) return;
        index = nextToStart++;
      }
      Outcome outcome = work(index);
      std::lock_guard lock(mutex);
      done.emplace(index, std::move(outcome));
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (int w = 0; w < workers && static_cast<size_t>(w) < count; ++w) threads.emplace_back(run);
  bool completed = true;
  for (size_t i = 0; i < count; ++i) {
    Outcome outcome;
    bool arrived = false;
    {
      std::unique_lock lock(mutex);
      while (!(arrived = changed.wait_for(lock, kWaitingPollInterval, [&] { return done.count(i) > 0; }))) {
        lock.unlock();
        bool wait = !keepWaiting || keepWaiting();
        lock.lock();
        if (!wait) break;
      }
      if (arrived) {
        auto found = done.find(i);
        outcome = std::move(found->second);
        done.erase(found);
      }
    }
    bool goOn = arrived && take(i, outcome);
    std::lock_guard lock(mutex);
    nextToTake = i + 1;
    if (!goOn) {
      stopping = true;
      completed = false;
    }
    changed.notify_all();
    if (!goOn) break;
  }
  for (std::thread& thread : threads) thread.join();
  return completed;
}
