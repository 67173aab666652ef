// The process-wide cache of loaded cloud images, keyed by the exact path given.
#include <map>
#include <mutex>

#include "cloudfile/CloudReader.h"
#include "cloudfile/KmqFileReader.h"

namespace {

struct CloudCache {
  std::mutex mutex;  // held only while `images` is searched or changed, never during file input
  std::map<std::wstring, KmqDataPtr> images;
};

CloudCache& Cache() {
  static CloudCache cache;
  return cache;
}

KmqDataPtr FindCached(const std::wstring& path) {
  CloudCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  auto found = cache.images.find(path);
  return found == cache.images.end() ? nullptr : found->second;
}

}  // namespace

KmqDataPtr LoadCloudFile(const std::wstring& path, std::wstring* errorText) {
  if (KmqDataPtr cached = FindCached(path)) return cached;
  const wchar_t* failure = nullptr;
  KmqDataPtr image = ReadCloudImage(path, &failure);
  if (!image) {
    if (errorText != nullptr) *errorText = failure;
    return nullptr;
  }
  CloudCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  cache.images[path] = image;  // a concurrent load of the same path is replaced by this one
  return image;
}

void ForgetCloudFile(const std::wstring& path) {
  KmqDataPtr dropped;  // released after the lock, so a last reference is freed outside it
  CloudCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  auto found = cache.images.find(path);
  if (found == cache.images.end()) return;
  dropped = std::move(found->second);
  cache.images.erase(found);
}

void ClearCloudCache() {
  std::map<std::wstring, KmqDataPtr> dropped;
  CloudCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  dropped.swap(cache.images);
}

size_t CloudCacheSize() {
  CloudCache& cache = Cache();
  std::lock_guard lock(cache.mutex);
  return cache.images.size();
}
