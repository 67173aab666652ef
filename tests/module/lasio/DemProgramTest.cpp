// PELVARDEM end to end: the DEM of an imported cloud is read back with GDAL cell by cell;
// a cloud without ground points gets its message and no file.
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_srs_api.h>

#include "tests/module/lasio/LasFixture.h"

namespace lasiotest {
namespace {

using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::TempFolder;

TEST(DemProgram, TheGroundGridComesBackCellByCellWithItsPlaceAndSystem) {
  GDALAllRegister();
  for (bool ground : {true, false}) {
    SCOPED_TRACE(ground);
    TempFolder home("dem");
    LasShape shape;
    shape.vlrs = {GeoKeyVlr({{3072, 2269}})};
    std::vector<GeoPoint> geo = GeoPoints(800, false);
    for (GeoPoint& g : geo) g.cls = ground ? g.cls : 6;
    WriteLas(home / "site.las", shape, FilePoints(geo, "EPSG:2269", 0.3048));
    PelvarRun run = RunPelvar(home.path(), "PELVARIMPORT\n" + (home / "site.las").string() + "\n\nPELVARDEM\n\n" +
                                               (home / "site.tif").string() + "\n");
    EXPECT_NE(run.out.find(ground ? "DEM of " : "The cloud has no ground grid; no DEM written."), std::string::npos);
    ASSERT_EQ(std::filesystem::exists(home / "site.tif"), ground);
    if (!ground) continue;
    KmqDataPtr cloud = LoadCloudFile((home / "site.kmt").wstring());
    ASSERT_TRUE(cloud);
    GDALDatasetH dem = GDALOpen((home / "site.tif").c_str(), GA_ReadOnly);
    ASSERT_NE(dem, nullptr);
    EXPECT_EQ(GDALGetRasterXSize(dem), cloud->groundNx);
    EXPECT_EQ(GDALGetRasterYSize(dem), cloud->groundNy);
    double t[6];
    ASSERT_EQ(GDALGetGeoTransform(dem, t), CE_None);
    const double cell = cloud->groundCell;
    EXPECT_DOUBLE_EQ(t[0] + cell / 2, cloud->groundOriginX);
    EXPECT_DOUBLE_EQ(t[3] - cell / 2 - (cloud->groundNy - 1) * cell, cloud->groundOriginY);
    EXPECT_DOUBLE_EQ(t[1], cell);
    EXPECT_DOUBLE_EQ(t[5], -cell);
    EXPECT_STREQ(OSRGetAuthorityCode(GDALGetSpatialRef(dem), nullptr), "2269");
    EXPECT_STREQ(GDALGetMetadataItem(dem, "COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");
    GDALRasterBandH band = GDALGetRasterBand(dem, 1);
    EXPECT_EQ(GDALGetRasterDataType(band), GDT_Float32);
    std::vector<float> cells(size_t{cloud->groundNx} * cloud->groundNy);
    ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, cloud->groundNx, cloud->groundNy, cells.data(), cloud->groundNx,
                           cloud->groundNy, GDT_Float32, 0, 0),
              CE_None);
    int wrong = 0;
    for (int row = 0; row < cloud->groundNy; ++row)
      for (int col = 0; col < cloud->groundNx; ++col) {
        float expected = static_cast<float>(DecodeGroundCode(*cloud, cloud->ground[size_t(row) * cloud->groundNx + col]));
        wrong += cells[size_t(cloud->groundNy - 1 - row) * cloud->groundNx + col] != expected;
      }
    EXPECT_EQ(wrong, 0);
    GDALClose(dem);
  }
}

}  // namespace
}  // namespace lasiotest
