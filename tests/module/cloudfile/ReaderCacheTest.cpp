// The process-wide cache: exact path keys, strong references, forgetting and clearing.
#include <gtest/gtest.h>

#include <thread>

#include "CraftedCloud.h"
#include "cloudfile/CloudReader.h"
#include "wideutf8.h"

namespace {

using crafted::Cloud;

class CloudCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearCloudCache();
    folder_ = crafted::TestFolder();
  }
  void TearDown() override { ClearCloudCache(); }

  // Writes a valid cloud whose first point's qx is `marker`, so images can be told apart.
  std::wstring WriteMarked(const std::string& name, uint16_t marker) {
    Cloud c;
    c.points = crafted::NumberedPoints(4);
    c.points[0].qx = marker;
    crafted::WriteFile(folder_ + "/" + name, c.Bytes());
    return Wide(name);
  }
  std::wstring Wide(const std::string& name) const { return pelvarhost::Utf8ToWide(folder_ + "/" + name); }

  std::string folder_;
};

TEST_F(CloudCacheTest, SamePathSharesOneImage) {
  std::wstring path = WriteMarked("a.kmt", 11);
  KmqDataPtr first = LoadCloudFile(path);
  KmqDataPtr second = LoadCloudFile(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(CloudCacheSize(), 1u);
  EXPECT_EQ(first.use_count(), 3) << "the cache and both callers";
}

TEST_F(CloudCacheTest, EverySpellingOfAPathLoadsOnItsOwn) {
  WriteMarked("a.kmt", 11);
  const std::string spellings[] = {"/a.kmt", "//a.kmt", "/./a.kmt"};
  std::vector<KmqDataPtr> images;
  for (const std::string& tail : spellings) images.push_back(LoadCloudFile(pelvarhost::Utf8ToWide(folder_ + tail)));
  for (const KmqDataPtr& image : images) ASSERT_NE(image, nullptr);
  EXPECT_NE(images[0], images[1]);
  EXPECT_NE(images[1], images[2]);
  EXPECT_NE(images[0], images[2]);
  EXPECT_EQ(CloudCacheSize(), 3u);
}

TEST_F(CloudCacheTest, FailedLoadIsNotCachedAndTheFixedFileLoads) {
  std::wstring path = Wide("fixed.kmt");
  Cloud broken;
  broken.points = crafted::NumberedPoints(4);
  broken.magic = "KMT1";
  crafted::WriteFile(folder_ + "/fixed.kmt", broken.Bytes());
  std::wstring error;
  EXPECT_EQ(LoadCloudFile(path, &error), nullptr);
  EXPECT_EQ(CloudCacheSize(), 0u);
  WriteMarked("fixed.kmt", 99);
  KmqDataPtr image = LoadCloudFile(path, &error);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->points[0].qx, 99);
  EXPECT_EQ(CloudCacheSize(), 1u);
}

TEST_F(CloudCacheTest, ChangedFileKeepsItsFirstImageUntilForgotten) {
  std::wstring path = WriteMarked("changing.kmt", 1);
  KmqDataPtr first = LoadCloudFile(path);
  ASSERT_NE(first, nullptr);
  WriteMarked("changing.kmt", 2);
  KmqDataPtr again = LoadCloudFile(path);
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->points[0].qx, 1);

  ForgetCloudFile(path);
  EXPECT_EQ(CloudCacheSize(), 0u);
  KmqDataPtr fresh = LoadCloudFile(path);
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, first);
  EXPECT_EQ(fresh->points[0].qx, 2);
  EXPECT_EQ(first->points[0].qx, 1) << "holders of the old image keep it";
  ForgetCloudFile(Wide("never-loaded.kmt"));
  EXPECT_EQ(CloudCacheSize(), 1u);
}

TEST_F(CloudCacheTest, ClearingDropsEveryImageButNotTheHoldersReferences) {
  KmqDataPtr a = LoadCloudFile(WriteMarked("a.kmt", 5));
  KmqDataPtr b = LoadCloudFile(WriteMarked("b.kmt", 6));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(CloudCacheSize(), 2u);
  ClearCloudCache();
  EXPECT_EQ(CloudCacheSize(), 0u);
  EXPECT_EQ(a.use_count(), 1);
  EXPECT_EQ(b->points[0].qx, 6);
  EXPECT_NE(LoadCloudFile(Wide("a.kmt")), a) << "loaded afresh after clearing";
}

TEST_F(CloudCacheTest, ThreadsLoadFilesAtOnce) {
  constexpr int kFiles = 4;
  std::vector<std::wstring> paths;
  for (int i = 0; i < kFiles; ++i) paths.push_back(WriteMarked("t" + std::to_string(i) + ".kmt", uint16_t(100 + i)));
  std::vector<KmqDataPtr> images(2 * kFiles);
  std::vector<std::thread> threads;
  for (int t = 0; t < 2 * kFiles; ++t)
    threads.emplace_back([&, t] { images[t] = LoadCloudFile(paths[t % kFiles]); });
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 2 * kFiles; ++t) {
    ASSERT_NE(images[t], nullptr) << t;
    EXPECT_EQ(images[t]->points[0].qx, 100 + t % kFiles) << t;
  }
  EXPECT_EQ(CloudCacheSize(), size_t{kFiles});
  for (int i = 0; i < kFiles; ++i) EXPECT_EQ(LoadCloudFile(paths[i])->points[0].qx, 100 + i);
}

}  // namespace
