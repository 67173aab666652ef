// PNG files of rendered views, through libpng's simplified interface.
#include <png.h>

#include "hostrender.h"

namespace pelvarhost {

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
  if (png_image_write_to_file(&info, path.c_str(), 0, image.rgb.data(), image.width * 3, nullptr) == 0) {
    if (error != nullptr) *error = info.message[0] != 0 ? info.message : "cannot write " + path;
    png_image_free(&info);
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, RasterImage& image, std::string* error) {
  png_image info{};
  info.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&info, path.c_str()) == 0) {
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
