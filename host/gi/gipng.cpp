// PNG files of rendered views, through libpng's simplified interface.
#include <png.h>

#include <vector>

#include "hostfiles.h"
#include "hostrender.h"

namespace pelvarhost {

namespace {
constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t{1} << 30;
}  // namespace

bool WritePng(const std::string& path, const RasterImage& image, std::string* error) {
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  info.width = static_cast<png_uint_32>(image.width);
  info.height = static_cast<png_uint_32>(image.height);
  info.format = PNG_FORMAT_RGB;
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3) {
    if (error != nullptr) *error = "the image is empty";
    return false;
  }
  // Encoded in memory first, then written whole or not at all.
  png_alloc_size_t size = 0;
  std::vector<std::uint8_t> bytes;
  bool encoded = png_image_write_get_memory_size(info, size, 0, image.rgb.data(), image.width * 3, nullptr) != 0;
  if (encoded) {
    bytes.resize(size);
    encoded = png_image_write_to_memory(&info, bytes.data(), &size, 0, image.rgb.data(), image.width * 3, nullptr) != 0;
  }
  if (!encoded) {
    if (error != nullptr) *error = info.message[0] != 0 ? info.message : "cannot encode " + path;
    png_image_free(&info);
    return false;
  }
  bytes.resize(size);
  std::string why;
  if (WriteWholeFile(path, bytes, true, why) != WriteOutcome::kDone) {
    if (error != nullptr) *error = why;
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, RasterImage& image, std::string* error) {
  std::string bytes, why;
  if (!ReadRegularFile(path, kMaxPngFileBytes, bytes, why)) {
    if (error != nullptr) *error = "cannot read " + path + ": " + why;
    return false;
  }
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&info, bytes.data(), bytes.size()) == 0) {
    if (error != nullptr) *error = info.message;
    return false;
  }
  info.format = PNG_FORMAT_RGB;
  image.width = static_cast<int>(info.width);
  image.height = static_cast<int>(info.height);
  image.rgb.assign(PNG_IMAGE_SIZE(info), 0);
  if (png_image_finish_read(&info, nullptr, image.rgb.data(), 0, nullptr) == 0) {
    if (error != nullptr) *error = info.message;
    png_image_free(&info);
    return false;
  }
  return true;
}

}  // namespace pelvarhost
