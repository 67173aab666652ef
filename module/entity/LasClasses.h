// The LAS classes the system names.
#pragma once
#include <cstdint>

inline constexpr uint8_t kUnclassified = 1;
inline constexpr uint8_t kGround = 2;
inline constexpr uint8_t kLowVegetation = 3;
inline constexpr uint8_t kMediumVegetation = 4;
inline constexpr uint8_t kHighVegetation = 5;
inline constexpr uint8_t kBuilding = 6;
inline constexpr uint8_t kLowNoise = 7;
inline constexpr uint8_t kWater = 9;
inline constexpr uint8_t kBridgeDeck = 17;
inline constexpr uint8_t kIgnoredGround = 20;
