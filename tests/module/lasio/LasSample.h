// LAS and LAZ files made in the test with LASzip: any point format and version, with the
// records that name a coordinate system (WKT under any owner, GeoTIFF keys in any order).
#pragma once
#include <gtest/gtest.h>
#include <laszip/laszip_api.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lasiotest {

struct SamplePoint {
  double x = 0, y = 0, z = 0;
  std::uint8_t cls = 0;
  std::uint16_t intensity = 0;
};

struct Vlr {
  std::string owner;
  std::uint16_t record = 0;
  std::vector<std::uint8_t> bytes;
};

struct LasShape {
  std::uint8_t versionMinor = 2;
  std::uint8_t pointFormat = 0;
  bool compressed = false;
  double scale = 0.001;
  bool legacyCountZero = false;
  std::vector<Vlr> vlrs;
};

inline Vlr WktVlr(const std::string& wkt, const std::string& owner = "LASF_Projection") {
  std::vector<std::uint8_t> bytes(wkt.begin(), wkt.end());
  bytes.push_back(0);
  return {owner, 2112, bytes};
}

// A key directory with the keys in the order given: {id, value} pairs held in the key.
inline Vlr GeoKeyVlr(const std::vector<std::pair<std::uint16_t, std::uint16_t>>& keys) {
  std::vector<std::uint16_t> shorts = {1, 1, 0, static_cast<std::uint16_t>(keys.size())};
  for (auto [id, value] : keys) shorts.insert(shorts.end(), {id, 0, 1, value});
  std::vector<std::uint8_t> bytes(shorts.size() * 2);
  std::memcpy(bytes.data(), shorts.data(), bytes.size());
  return {"LASF_Projection", 34735, bytes};
}

inline const std::uint16_t kRecordLengths[] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};

inline void WriteLas(const std::filesystem::path& path, const LasShape& shape, const std::vector<SamplePoint>& points) {
  laszip_POINTER writer = nullptr;
  ASSERT_EQ(laszip_create(&writer), 0);
  laszip_header* h = nullptr;
  laszip_get_header_pointer(writer, &h);
  h->version_major = 1;
  h->version_minor = shape.versionMinor;
  h->header_size = shape.versionMinor >= 4 ? 375 : 227;
  h->offset_to_point_data = h->header_size;
  h->point_data_format = shape.pointFormat;
  h->point_data_record_length = kRecordLengths[shape.pointFormat];
  bool extended = shape.pointFormat >= 6;
  h->number_of_point_records = extended || shape.legacyCountZero ? 0 : static_cast<laszip_U32>(points.size());
  h->extended_number_of_point_records = points.size();
  h->x_scale_factor = h->y_scale_factor = h->z_scale_factor = shape.scale;
  h->x_offset = std::floor(points.front().x), h->y_offset = std::floor(points.front().y), h->z_offset = 0;
  for (const Vlr& vlr : shape.vlrs)
    ASSERT_EQ(laszip_add_vlr(writer, vlr.owner.c_str(), vlr.record, static_cast<laszip_U16>(vlr.bytes.size()), "test",
                             vlr.bytes.data()), 0);
  if (shape.compressed) laszip_request_native_extension(writer, 1);
  ASSERT_EQ(laszip_open_writer(writer, path.c_str(), shape.compressed ? 1 : 0), 0);
  laszip_point* out = nullptr;
  laszip_get_point_pointer(writer, &out);
  for (const SamplePoint& p : points) {
    out->X = static_cast<laszip_I32>(std::lround((p.x - h->x_offset) / shape.scale));
    out->Y = static_cast<laszip_I32>(std::lround((p.y - h->y_offset) / shape.scale));
    out->Z = static_cast<laszip_I32>(std::lround((p.z - h->z_offset) / shape.scale));
    out->intensity = p.intensity;
    if (extended) {
      out->extended_classification = p.cls;
      out->classification = p.cls < 32 ? p.cls : 0;
      out->extended_return_number = 1, out->extended_number_of_returns = 1;
    } else {
      out->classification = p.cls & 0x1F;
      out->return_number = 1, out->number_of_returns = 1;
    }
    ASSERT_EQ(laszip_write_point(writer), 0);
  }
  ASSERT_EQ(laszip_close_writer(writer), 0);
  laszip_destroy(writer);
}

// A file read back with LASzip: its header facts, WKT record and points (class: the
// extended byte for formats 6 and up).
struct ReadBack {
  int versionMinor = 0, pointFormat = 0;
  std::uint16_t globalEncoding = 0;
  std::string wkt;
  std::vector<SamplePoint> points;
  double scale[3] = {0, 0, 0};
};

inline ReadBack ReadLas(const std::filesystem::path& path) {
  ReadBack back;
  laszip_POINTER reader = nullptr;
  laszip_create(&reader);
  laszip_BOOL compressed = 0;
  EXPECT_EQ(laszip_open_reader(reader, path.c_str(), &compressed), 0) << path;
  laszip_header* h = nullptr;
  laszip_get_header_pointer(reader, &h);
  laszip_point* p = nullptr;
  laszip_get_point_pointer(reader, &p);
  back.versionMinor = h->version_minor, back.pointFormat = h->point_data_format, back.globalEncoding = h->global_encoding;
  back.scale[0] = h->x_scale_factor, back.scale[1] = h->y_scale_factor, back.scale[2] = h->z_scale_factor;
  for (laszip_U32 i = 0; i < h->number_of_variable_length_records; ++i)
    if (h->vlrs[i].record_id == 2112)
      back.wkt.assign(reinterpret_cast<const char*>(h->vlrs[i].data), h->vlrs[i].record_length_after_header);
  back.wkt = back.wkt.c_str();
  laszip_U64 count = h->version_minor >= 4 ? h->extended_number_of_point_records : h->number_of_point_records;
  for (laszip_U64 i = 0; i < count && laszip_read_point(reader) == 0; ++i)
    back.points.push_back({p->X * h->x_scale_factor + h->x_offset, p->Y * h->y_scale_factor + h->y_offset,
                           p->Z * h->z_scale_factor + h->z_offset,
                           h->point_data_format >= 6 ? p->extended_classification : p->classification, p->intensity});
  laszip_close_reader(reader);
  laszip_destroy(reader);
  return back;
}

}  // namespace lasiotest
