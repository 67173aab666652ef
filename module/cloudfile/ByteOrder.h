// Little-endian stores and loads for the cloud file's byte layout.
// The host platforms are little-endian, so whole arrays can also be read straight into memory.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "cloud files are little-endian and are read into memory as they are");

namespace pelvar::bytes {

template <class T>
inline T Load(const uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <class T>
inline void Store(uint8_t* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

}  // namespace pelvar::bytes
