// The WinHTTP stand-in: its handles, its answers from a folder (the shipped survey index by
// default) and the network settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/ReadWholeFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "winhttp.h"
#include "winhttpconfig.h"

namespace {

using pelvarhost::http::FindRoute;
using pelvarhost::http::ParseNetworkConfig;

struct Response {
  bool sent = false;
  DWORD status = 0;
  uint64_t length = 0;
  std::string body;
  DWORD error = 0;
};

// A GET through the handles, as a module makes it.
Response Get(const wchar_t* host, const wchar_t* path) {
  Response r;
  HINTERNET session = WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET connection = WinHttpConnect(session, host, INTERNET_DEFAULT_HTTPS_PORT, 0);
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE);
  r.sent = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
           WinHttpReceiveResponse(request, nullptr);
  if (r.sent) {
    DWORD size = sizeof(r.status);
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &r.status, &size, WINHTTP_NO_HEADER_INDEX);
    size = sizeof(r.length);
    WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER64,
                        WINHTTP_HEADER_NAME_BY_INDEX, &r.length, &size, WINHTTP_NO_HEADER_INDEX);
    DWORD available = 0;
    while (WinHttpQueryDataAvailable(request, &available) && available > 0) {
      std::string chunk(available, '\0');
      DWORD read = 0;
      if (!WinHttpReadData(request, chunk.data(), available, &read)) break;
      r.body.append(chunk, 0, read);
    }
  } else {
    r.error = GetLastError();
  }
  EXPECT_TRUE(WinHttpCloseHandle(request));
  EXPECT_TRUE(WinHttpCloseHandle(connection));
  EXPECT_TRUE(WinHttpCloseHandle(session));
  return r;
}


class WinHttpTest : public ::testing::Test {
 protected:
  void Configure(const std::string& text) {
    std::filesystem::create_directories(config_.path() / "pelvar");
    std::ofstream(config_.path() / "pelvar" / "winhttp.conf") << text;
  }
  pelvartest::TempFolder config_{"winhttp"};
  pelvartest::ScopedEnv home_{"XDG_CONFIG_HOME", config_.path().string()};
};

TEST_F(WinHttpTest, SurveyIndexServerIsAnsweredFromTheShippedIndexByDefault) {
  Response r = Get(L"index.mardel.invalid", L"/mardel-anywhere/datasets.txt");
  ASSERT_TRUE(r.sent);
  EXPECT_EQ(r.status, 200u);
  std::string shipped = pelvartest::ReadWholeFile(std::filesystem::path(PELVAR_SOURCE_DIR) / "data" / "datasets.txt");
  EXPECT_EQ(r.body, shipped);
  EXPECT_EQ(r.length, shipped.size());
  EXPECT_EQ(Get(L"INDEX.mardel.invalid", L"/mardel-anywhere/other.txt").status, 404u);
}

TEST_F(WinHttpTest, FolderRouteServesFilesBelowItAndNothingAbove) {
  pelvartest::TempFolder site{"site"};
  std::filesystem::create_directories(site.path() / "a");
  std::ofstream(site.path() / "a" / "b.txt") << "bee";
  std::ofstream(site.path() / "secret.txt") << "no";
  Configure("host files.test folder " + site.path().string() + "\n");
  Response found = Get(L"files.test", L"/a/b.txt?version=2");
  EXPECT_EQ(found.status, 200u);
  EXPECT_EQ(found.body, "bee");
  EXPECT_EQ(Get(L"files.test", L"/a/missing.txt").status, 404u);
  EXPECT_EQ(Get(L"files.test", L"/a/../secret.txt").status, 404u);
  EXPECT_EQ(Get(L"files.test", L"/a").status, 404u);
}

TEST_F(WinHttpTest, HandlesAreCheckedForKindAndState) {
  EXPECT_FALSE(WinHttpCloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0x10000000), nullptr);
  HINTERNET session = WinHttpOpen(L"test", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(WinHttpOpenRequest(session, L"GET", L"/", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE));
  EXPECT_EQ(WinHttpConnect(session, L"bad host/name", 443, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_INVALID_URL));
  HINTERNET connection = WinHttpConnect(session, L"files.test", 443, 0);
  EXPECT_EQ(WinHttpOpenRequest(connection, L"POST", L"/", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(WinHttpOpenRequest(connection, L"GET", L"no-slash", nullptr, nullptr, nullptr, 0), nullptr);
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", L"/", nullptr, nullptr, nullptr, WINHTTP_FLAG_SECURE);
  ASSERT_NE(request, nullptr);
  DWORD status = 0, size = sizeof(status);
  EXPECT_FALSE(WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status,
                                   &size, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINHTTP_INCORRECT_HANDLE_STATE));
  EXPECT_FALSE(WinHttpReceiveResponse(request, nullptr));
  EXPECT_TRUE(WinHttpSetTimeouts(request, 0, 100, 100, 100));
  EXPECT_FALSE(WinHttpSetTimeouts(request, 0, -2, 100, 100));
  EXPECT_TRUE(WinHttpCloseHandle(request));
  EXPECT_FALSE(WinHttpCloseHandle(request));
  EXPECT_TRUE(WinHttpCloseHandle(connection));
  EXPECT_TRUE(WinHttpCloseHandle(session));
}

TEST(NetworkConfigTest, RoutesAuthoritiesAndTimeOutsAndTheLinesNotUnderstood) {
  auto config = ParseNetworkConfig(
      "# a comment\n"
      "host Archive.Example 127.0.0.1:8443   # trailing comment\n"
      "host v6.example [::1]:9443\n"
      "host same-port.example 10.0.0.7\n"
      "host files.example folder site\n"
      "ca certs/extra.pem\n"
      "timeout connect 2500\n"
      "timeout receive 1000\n"
      "host broken.example 127.0.0.1:99999\n"
      "timeout receive soon\n"
      "proxy somewhere\n",
      "/cfg");
  const auto* archive = FindRoute(config, "archive.example");
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->address, "127.0.0.1");
  EXPECT_EQ(archive->port, 8443);
  EXPECT_EQ(FindRoute(config, "v6.example")->address, "[::1]");
  EXPECT_EQ(FindRoute(config, "v6.example")->port, 9443);
  EXPECT_EQ(FindRoute(config, "same-port.example")->port, 0);
  EXPECT_EQ(FindRoute(config, "files.example")->folder, "/cfg/site");
  EXPECT_EQ(FindRoute(config, "broken.example"), nullptr);
  EXPECT_EQ(FindRoute(config, "other.example"), nullptr);
  EXPECT_EQ(config.caFiles, std::vector<std::string>{"/cfg/certs/extra.pem"});
  EXPECT_EQ(config.connectTimeoutMs, 2500);
  EXPECT_EQ(config.receiveTimeoutMs, 1000);
  EXPECT_EQ(config.problems, (std::vector<std::string>{"winhttp.conf line 9 ignored: bad address",
                                                       "winhttp.conf line 10 ignored: expected: timeout connect|receive MILLISECONDS",
                                                       "winhttp.conf line 11 ignored: unknown setting"}));
}

}  // namespace
