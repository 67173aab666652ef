#include "lasio/DemWrite.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>

#include <atomic>
#include <mutex>

#include "lasio/ProjObjects.h"

namespace {

constexpr const char* kDriverName = "GTiff";

// A name of GDAL's in-memory file system of its own for each call.
std::string MemoryFileName() {
  static std::atomic<unsigned> counter{0};
  return "/vsimem/pelvar-dem-" + std::to_string(++counter) + ".tif";
}

std::wstring GdalError(const wchar_t* fallback) {
  const char* text = CPLGetLastErrorMsg();
  return text != nullptr && text[0] != '\0' ? WideText(text) : fallback;
}

// The heights north row first, as the file stores them.
std::vector<float> NorthFirstHeights(const KmqData& data) {
  std::vector<float> heights;
  heights.reserve(size_t{data.groundNx} * data.groundNy);
  for (int row = data.groundNy - 1; row >= 0; --row)
    for (int col = 0; col < data.groundNx; ++col)
      heights.push_back(static_cast<float>(DecodeGroundCode(data, data.ground[size_t(row) * data.groundNx + col])));
  return heights;
}

bool WriteDataset(const std::string& name, const KmqData& data, const std::string& wkt) {
  GDALDriverH driver = GDALGetDriverByName(kDriverName);
  const char* options[] = {"TILED=YES", "COMPRESS=DEFLATE", nullptr};
  GDALDatasetH dataset = driver != nullptr ? GDALCreate(driver, name.c_str(), data.groundNx, data.groundNy, 1,
                                                        GDT_Float32, const_cast<char**>(options))
                                           : nullptr;
  if (dataset == nullptr) return false;
  double transform[6];
  DemGeoTransform(data, transform);
  std::vector<float> heights = NorthFirstHeights(data);
  bool ok = GDALSetGeoTransform(dataset, transform) == CE_None && GDALSetProjection(dataset, wkt.c_str()) == CE_None &&
            GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Write, 0, 0, data.groundNx, data.groundNy, heights.data(),
                         data.groundNx, data.groundNy, GDT_Float32, 0, 0) == CE_None;
  GDALClose(dataset);
  return ok && CPLGetLastErrorType() != CE_Failure && CPLGetLastErrorType() != CE_Fatal;
}

}  // namespace

void DemGeoTransform(const KmqData& data, double transform[6]) {
  const double cell = data.groundCell;
  transform[0] = data.groundOriginX - cell / 2;
  transform[1] = cell;
  transform[2] = 0;
  transform[3] = data.groundOriginY + (data.groundNy - 1) * cell + cell / 2;
  transform[4] = 0;
  transform[5] = -cell;
}

std::vector<std::uint8_t> EncodeDem(const KmqData& data, const std::string& wkt, std::wstring& error) {
  static std::once_flag registered;
  std::call_once(registered, GDALAllRegister);
  CPLErrorReset();
  const std::string name = MemoryFileName();
  std::vector<std::uint8_t> bytes;
  if (WriteDataset(name, data, wkt)) {
    vsi_l_offset length = 0;
    GByte* buffer = VSIGetMemFileBuffer(name.c_str(), &length, FALSE);
    if (buffer != nullptr) bytes.assign(buffer, buffer + length);
  }
  VSIUnlink(name.c_str());
  if (bytes.empty()) error = GdalError(L"GDAL cannot write the GeoTIFF");
  return bytes;
}
