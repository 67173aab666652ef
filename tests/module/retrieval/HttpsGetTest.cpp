// The HTTPS client against the loopback server: what counts as a whole file, what is tried
// again, and that every injected fault ends within a bounded time and leaves the host
// usable.
#include <gtest/gtest.h>

#include <chrono>

#include "retrieval/ByteSource.h"
#include "tests/module/retrieval/NetworkFixture.h"

namespace {

using namespace pelvartest;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kFile = "Survey_2020/ept.json";
const std::string kBody = "{\"bounds\": [0, 0, 0, 1, 1, 1]}";
// No fault may hold a request longer than this, retries included.
constexpr auto kHangLimit = std::chrono::seconds(10);

class HttpsGetTest : public NetworkFixture {
 protected:
  void SetUp() override {
    NetworkFixture::SetUp();
    server().setBody(ArchivePath(kFile), kBody);
    server().setBody(ArchivePath("healthy.txt"), "still here");
  }

  // Fetches the file with the given policy; checks the time it took and that the host
  // serves the next request normally.
  bool Get(const HttpPolicy& policy, ByteBuffer& bytes) {
    auto start = Clock::now();
    bool ok = HttpsGet(ArchiveUrl(kFile), bytes, policy);
    elapsed_ = Clock::now() - start;
    EXPECT_LT(elapsed_, kHangLimit);
    ByteBuffer next;
    EXPECT_TRUE(HttpsGet(ArchiveUrl("healthy.txt"), next, QuickRetries()));
    EXPECT_EQ(Text(next), "still here");
    return ok;
  }
  int Requests() { return server().requests(ArchivePath(kFile)); }

  Clock::duration elapsed_{};
};

TEST_F(HttpsGetTest, WholeBodyOfA200IsTheFile) {
  ByteBuffer bytes{'x'};
  ASSERT_TRUE(HttpsGet(ArchiveUrl(kFile), bytes));
  EXPECT_EQ(Text(bytes), kBody);
  EXPECT_EQ(Requests(), 1);
}

TEST_F(HttpsGetTest, PlainHttpAndAUrlWithoutPathNeverReachTheNetwork) {
  ByteBuffer bytes;
  EXPECT_FALSE(HttpsGet("http://" + std::string(kArchiveHost) + kArchivePath + kFile, bytes));
  EXPECT_FALSE(HttpsGet("https://" + std::string(kArchiveHost), bytes));
  EXPECT_FALSE(HttpsGet("https:/", bytes));
  EXPECT_FALSE(HttpsGet("https:///path", bytes));
  EXPECT_EQ(server().totalRequests(), 0);
}

TEST_F(HttpsGetTest, NotFoundFailsAtOnceWithoutRetry) {
  server().setFault(ArchivePath(kFile), {FaultKind::kNotFound});
  ByteBuffer bytes;
  EXPECT_FALSE(Get(HttpPolicy{}, bytes));
  EXPECT_EQ(Requests(), 1);
}

TEST_F(HttpsGetTest, EmptyOkIsAFailure) {
  server().setFault(ArchivePath(kFile), {FaultKind::kEmptyOk});
  ByteBuffer bytes;
  EXPECT_FALSE(Get(QuickRetries(), bytes));
  EXPECT_EQ(Requests(), 1);
}

TEST_F(HttpsGetTest, ServerErrorsAreTriedAgainUpToTheLimit) {
  server().setFault(ArchivePath(kFile), {FaultKind::kServerError});
  ByteBuffer bytes;
  EXPECT_FALSE(Get(QuickRetries(), bytes));
  EXPECT_EQ(Requests(), QuickRetries().maxAttempts);
}

TEST_F(HttpsGetTest, UnavailableTwiceThenOkSucceedsWithTheModulesOwnBackOff) {
  server().setFault(ArchivePath(kFile), {FaultKind::kUnavailable, 2});
  ByteBuffer bytes;
  ASSERT_TRUE(Get(HttpPolicy{}, bytes));
  EXPECT_EQ(Text(bytes), kBody);
  EXPECT_EQ(Requests(), 3);
  // Waited 500 ms, then 1000 ms between the attempts.
  EXPECT_GE(elapsed_, milliseconds(1500));
}

TEST_F(HttpsGetTest, BodyCutShortOfItsLengthIsNeverASuccess) {
  server().setFault(ArchivePath(kFile), {FaultKind::kCutShort});
  ByteBuffer bytes;
  EXPECT_FALSE(Get(QuickRetries(), bytes));
  EXPECT_EQ(Requests(), QuickRetries().maxAttempts);
}

TEST_F(HttpsGetTest, RefusedConnectionFailsAfterItsRetries) {
  routeTo(UnusedLoopbackPort());
  ByteBuffer bytes;
  auto start = Clock::now();
  EXPECT_FALSE(HttpsGet(ArchiveUrl(kFile), bytes, QuickRetries()));
  EXPECT_LT(Clock::now() - start, kHangLimit);
  routeTo(server().port());
  EXPECT_TRUE(HttpsGet(ArchiveUrl(kFile), bytes, QuickRetries()));
}

TEST_F(HttpsGetTest, StalledServersFailWithinTheLowSpeedLimit) {
  for (FaultKind kind : {FaultKind::kStallBeforeAnswer, FaultKind::kStallMidBody}) {
    server().setFault(ArchivePath(kFile), {kind});
    int before = Requests();
    ByteBuffer bytes;
    EXPECT_FALSE(Get(HttpPolicy{}, bytes));
    // One receive time-out, not one per attempt: a time-out is not tried again.
    EXPECT_EQ(Requests() - before, 1);
    EXPECT_GE(elapsed_, milliseconds(kTestReceiveTimeoutMs));
    EXPECT_LT(elapsed_, milliseconds(3 * kTestReceiveTimeoutMs + 1000));
  }
}

TEST_F(HttpsGetTest, TrickleBelowOneBytePerSecondFailsAndAboveItArrivesWhole) {
  server().setFault(ArchivePath(kFile), {FaultKind::kTrickle, 0, milliseconds(1500)});
  ByteBuffer bytes;
  EXPECT_FALSE(Get(HttpPolicy{}, bytes));
  EXPECT_EQ(Requests(), 1);
  server().setFault(ArchivePath(kFile), {FaultKind::kTrickle, 0, milliseconds(20)});
  ASSERT_TRUE(Get(HttpPolicy{}, bytes));
  EXPECT_EQ(Text(bytes), kBody);
}

TEST_F(HttpsGetTest, CertificateOfAnUntrustedAuthorityIsRefused) {
  LoopbackServer impostor(SharedTestCertificates().untrusted);
  impostor.setBody(ArchivePath(kFile), kBody);
  routeTo(impostor.port());
  ByteBuffer bytes;
  EXPECT_FALSE(HttpsGet(ArchiveUrl(kFile), bytes, QuickRetries()));
  EXPECT_EQ(impostor.totalRequests(), 0);
  impostor.stop();
  routeTo(server().port());
  EXPECT_TRUE(HttpsGet(ArchiveUrl(kFile), bytes, QuickRetries()));
}

TEST_F(HttpsGetTest, FixedLatencyBelowTheTimeOutStillSucceeds) {
  server().setLatency(milliseconds(300));
  ByteBuffer bytes;
  ASSERT_TRUE(Get(HttpPolicy{}, bytes));
  EXPECT_EQ(Text(bytes), kBody);
  EXPECT_GE(elapsed_, milliseconds(300));
}

TEST_F(HttpsGetTest, BodyAboveTheSizeCapIsRefused) {
  HttpPolicy policy = QuickRetries();
  policy.maxBodyBytes = kBody.size() - 1;
  ByteBuffer bytes;
  EXPECT_FALSE(Get(policy, bytes));
  EXPECT_EQ(Requests(), 1);
  policy.maxBodyBytes = kBody.size();
  EXPECT_TRUE(HttpsGet(ArchiveUrl(kFile), bytes, policy));
}

}  // namespace
