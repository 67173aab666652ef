#include "lasio/LasWrite.h"

#include <laszip/laszip_api.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "cloudfile/KmqFormat.h"

namespace {

constexpr laszip_U8 kVersionMinor = 4;
constexpr laszip_U16 kHeaderSize = 375;
constexpr laszip_U8 kPointFormat = 6;
constexpr laszip_U16 kRecordLength = 30;
constexpr laszip_U16 kWktEncodingBit = 16;
constexpr laszip_U16 kWktRecord = 2112;
constexpr std::uint8_t kLegacyClassLimit = 32;
constexpr double kScaleStepFraction = 0.1;
constexpr double kSmallestScale = 1e-9;

// A LASzip writer, destroyed on every path.
class LazWriter {
 public:
  LazWriter() {
    if (laszip_create(&writer_) != 0) writer_ = nullptr;
  }
  ~LazWriter() {
    if (writer_ != nullptr) laszip_destroy(writer_);
  }
  LazWriter(const LazWriter&) = delete;
  LazWriter& operator=(const LazWriter&) = delete;
  laszip_POINTER get() const { return writer_; }
  std::wstring errorText() const {
    laszip_CHAR* text = nullptr;
    std::wstring wide = L"LASzip cannot write the file";
    if (writer_ == nullptr || laszip_get_error(writer_, &text) != 0 || text == nullptr || text[0] == '\0') return wide;
    wide.clear();
    for (const laszip_CHAR* c = text; *c != '\0'; ++c) wide.push_back(static_cast<unsigned char>(*c));
    return wide;
  }

 private:
  laszip_POINTER writer_ = nullptr;
};

void SetBounds(laszip_header* h, const CroppedPoints& points) {
  auto [xmin, xmax] = std::minmax_element(points.x.begin(), points.x.end());
  auto [ymin, ymax] = std::minmax_element(points.y.begin(), points.y.end());
  auto [zmin, zmax] = std::minmax_element(points.z.begin(), points.z.end());
  h->min_x = *xmin, h->max_x = *xmax, h->min_y = *ymin, h->max_y = *ymax, h->min_z = *zmin, h->max_z = *zmax;
  h->x_offset = std::floor(*xmin), h->y_offset = std::floor(*ymin), h->z_offset = std::floor(*zmin);
}

void SetHeader(laszip_header* h, const CroppedPoints& points, const LasAxes& axes) {
  h->version_major = 1;
  h->version_minor = kVersionMinor;
  h->header_size = kHeaderSize;
  h->offset_to_point_data = kHeaderSize;
  h->global_encoding = kWktEncodingBit;
  h->point_data_format = kPointFormat;
  h->point_data_record_length = kRecordLength;
  h->number_of_point_records = 0;  // LAS 1.4 keeps the legacy counts at 0 for formats 6 and up
  h->extended_number_of_point_records = points.size();
  h->extended_number_of_points_by_return[0] = points.size();
  h->x_scale_factor = axes.scale[0], h->y_scale_factor = axes.scale[1], h->z_scale_factor = axes.scale[2];
  SetBounds(h, points);
  std::snprintf(h->generating_software, sizeof(h->generating_software), "Pelvar");
}

laszip_I32 Steps(double value, double offset, double scale) {
  return static_cast<laszip_I32>(std::llround((value - offset) / scale));
}

bool WritePoints(const LazWriter& writer, const laszip_header& h, const CroppedPoints& points) {
  laszip_point* out = nullptr;
  if (laszip_get_point_pointer(writer.get(), &out) != 0) return false;
  out->extended_point_type = 1;
  out->extended_return_number = 1;
  out->extended_number_of_returns = 1;
  for (size_t i = 0; i < points.size(); ++i) {
    out->X = Steps(points.x[i], h.x_offset, h.x_scale_factor);
    out->Y = Steps(points.y[i], h.y_offset, h.y_scale_factor);
    out->Z = Steps(points.z[i], h.z_offset, h.z_scale_factor);
    out->intensity = points.intensity[i];
    out->extended_classification = points.cls[i];
    out->classification = points.cls[i] < kLegacyClassLimit ? points.cls[i] : 0;
    if (laszip_write_point(writer.get()) != 0) return false;
  }
  return true;
}

}  // namespace

double LasScaleFor(double cloudSize) {
  double step = cloudSize / kKmqCodeMax * kScaleStepFraction;
  if (!(step > kSmallestScale)) return kSmallestScale;
  return std::pow(10.0, std::floor(std::log10(step)));
}

std::vector<std::uint8_t> EncodeLas(const CroppedPoints& points, const LasAxes& axes, const std::string& wkt,
                                    bool compressed, std::wstring& error) {
  LazWriter writer;
  laszip_header* header = nullptr;
  std::stringstream stream(std::ios::in | std::ios::out | std::ios::binary);
  const auto* wktBytes = reinterpret_cast<const laszip_U8*>(wkt.c_str());
  bool written =
      writer.get() != nullptr && !points.x.empty() && laszip_get_header_pointer(writer.get(), &header) == 0 &&
      (SetHeader(header, points, axes),
       laszip_add_vlr(writer.get(), "LASF_Projection", kWktRecord, static_cast<laszip_U16>(wkt.size() + 1),
                      "OGC WKT", wktBytes) == 0) &&
      laszip_request_native_extension(writer.get(), 1) == 0 &&
      laszip_open_writer_stream(writer.get(), stream, compressed ? 1 : 0, 0) == 0 &&
      WritePoints(writer, *header, points) && laszip_close_writer(writer.get()) == 0;
  if (!written) {
    error = writer.errorText();
    return {};
  }
  std::string bytes = stream.str();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}
