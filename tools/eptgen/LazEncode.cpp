// Writing one LAZ tile in memory with LASzip.
#include <laszip/laszip_api.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "tools/eptgen/EptDataset.h"

namespace eptgen {

namespace {

const laszip_U16 kBaseRecordLength[] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};
constexpr laszip_U8 kFirstExtendedFormat = 6;
constexpr laszip_U32 kExtraBytesUnsignedChar = 1;  // the extra-bytes data type of one byte

class LazWriter {
 public:
  LazWriter() {
    if (laszip_create(&writer_) != 0) throw std::runtime_error("laszip_create failed");
  }
  ~LazWriter() { laszip_destroy(writer_); }
  LazWriter(const LazWriter&) = delete;
  LazWriter& operator=(const LazWriter&) = delete;
  laszip_POINTER get() const { return writer_; }
  void check(laszip_I32 status) const {
    if (status == 0) return;
    laszip_CHAR* text = nullptr;
    laszip_get_error(writer_, &text);
    throw std::runtime_error(text != nullptr ? text : "laszip failed");
  }

 private:
  laszip_POINTER writer_ = nullptr;
};

laszip_I32 Steps(double value, double scale, double offset) {
  return static_cast<laszip_I32>(std::lround((value - offset) / scale));
}

void SetHeader(laszip_header* h, const std::vector<ScenePoint>& points, const TileFormat& format, double scale,
               double ox, double oy, double oz) {
  h->version_major = 1;
  h->version_minor = format.versionMinor;
  h->header_size = format.versionMinor >= 4 ? 375 : 227;
  h->offset_to_point_data = h->header_size;
  h->point_data_format = format.pointFormat;
  h->point_data_record_length = static_cast<laszip_U16>(kBaseRecordLength[format.pointFormat] + format.extraBytes);
  h->number_of_point_records = format.pointFormat < kFirstExtendedFormat ? static_cast<laszip_U32>(points.size()) : 0;
  h->extended_number_of_point_records = points.size();
  h->x_scale_factor = h->y_scale_factor = h->z_scale_factor = scale;
  h->x_offset = ox, h->y_offset = oy, h->z_offset = oz;
  h->min_x = h->min_y = h->min_z = INFINITY;
  h->max_x = h->max_y = h->max_z = -INFINITY;
  for (const ScenePoint& p : points) {
    h->min_x = std::fmin(h->min_x, p.x), h->max_x = std::fmax(h->max_x, p.x);
    h->min_y = std::fmin(h->min_y, p.y), h->max_y = std::fmax(h->max_y, p.y);
    h->min_z = std::fmin(h->min_z, p.z), h->max_z = std::fmax(h->max_z, p.z);
  }
  if (points.empty()) h->min_x = h->min_y = h->min_z = h->max_x = h->max_y = h->max_z = 0;
}

void SetPoint(laszip_point* out, const ScenePoint& p, const TileFormat& format, double scale, double ox, double oy,
              double oz, size_t index) {
  out->X = Steps(p.x, scale, ox);
  out->Y = Steps(p.y, scale, oy);
  out->Z = Steps(p.z, scale, oz);
  out->intensity = p.intensity;
  if (format.pointFormat >= kFirstExtendedFormat) {
    out->extended_classification = p.cls;
    out->classification = p.cls < 32 ? p.cls : 0;
    out->extended_return_number = 1;
    out->extended_number_of_returns = 1;
  } else {
    out->classification = p.cls & 0x1F;
    out->withheld_flag = p.withheld ? 1 : 0;
    out->return_number = 1;
    out->number_of_returns = 1;
  }
  out->gps_time = 1.0e6 + static_cast<double>(index);
  for (laszip_I32 i = 0; i < out->num_extra_bytes; ++i) out->extra_bytes[i] = static_cast<laszip_U8>(index + i);
}

}  // namespace

ByteBuffer EncodeLazTile(const std::vector<ScenePoint>& points, const TileFormat& format, double scale,
                         double offsetX, double offsetY, double offsetZ) {
  LazWriter writer;
  laszip_header* header = nullptr;
  writer.check(laszip_get_header_pointer(writer.get(), &header));
  SetHeader(header, points, format, scale, offsetX, offsetY, offsetZ);
  if (format.extraBytes > 0) {
    for (laszip_U16 i = 0; i < format.extraBytes; ++i) {
      std::string name = "extra" + std::to_string(i);
      writer.check(laszip_add_attribute(writer.get(), kExtraBytesUnsignedChar, name.c_str(), "generated", 1.0, 0.0));
    }
    header->point_data_record_length = static_cast<laszip_U16>(kBaseRecordLength[format.pointFormat] + format.extraBytes);
  }
  writer.check(laszip_request_native_extension(writer.get(), 1));
  std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
  writer.check(laszip_open_writer_stream(writer.get(), stream, 1, 0));
  laszip_point* point = nullptr;
  writer.check(laszip_get_point_pointer(writer.get(), &point));
  for (size_t i = 0; i < points.size(); ++i) {
    SetPoint(point, points[i], format, scale, offsetX, offsetY, offsetZ, i);
    writer.check(laszip_write_point(writer.get()));
  }
  writer.check(laszip_close_writer(writer.get()));
  std::string bytes = stream.str();
  return ByteBuffer(bytes.begin(), bytes.end());
}

}  // namespace eptgen
