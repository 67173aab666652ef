// Keyword lists and the matching of typed answers against them.
#include <gtest/gtest.h>

#include <vector>

#include "edparse.h"

namespace {

using pelvarhost::MatchKeyword;
using pelvarhost::ParseKeywordList;

std::wstring Match(const wchar_t* list, const wchar_t* answer) {
  auto keyword = MatchKeyword(ParseKeywordList(list), answer);
  return keyword ? *keyword : L"<none>";
}

TEST(KeywordMatching, AcceptsTheWholeKeywordInAnyCase) {
  EXPECT_EQ(Match(L"Ground Nearest", L"nearest"), L"Nearest");
  EXPECT_EQ(Match(L"Ground Nearest", L"GROUND"), L"Ground");
}

TEST(KeywordMatching, AcceptsTheCapitalisedAbbreviation) {
  EXPECT_EQ(Match(L"eXit Exclude", L"x"), L"eXit");
  EXPECT_EQ(Match(L"LType Layer", L"lt"), L"LType");
  EXPECT_EQ(Match(L"LType Layer", L"lty"), L"LType");
}

TEST(KeywordMatching, AcceptsAUniquePrefixOnly) {
  EXPECT_EQ(Match(L"apple apricot", L"ap"), L"<none>");  // both begin with "ap"
  EXPECT_EQ(Match(L"apple apricot", L"apr"), L"apricot");
  EXPECT_EQ(Match(L"Max Median", L"Med"), L"Median");
  EXPECT_EQ(Match(L"Yes No", L"n"), L"No");
  EXPECT_EQ(Match(L"Yes No", L"nope"), L"<none>");
  EXPECT_EQ(Match(L"Yes No", L""), L"<none>");
}

TEST(KeywordMatching, ReturnsTheGlobalKeywordForLocalAndUnderscoredAnswers) {
  EXPECT_EQ(Match(L"Oui Non _ Yes No", L"o"), L"Yes");
  EXPECT_EQ(Match(L"Oui Non _ Yes No", L"_No"), L"No");
  EXPECT_EQ(Match(L"Oui Non _ Yes No", L"_Oui"), L"<none>");
}

TEST(KeywordMatching, KeepsSymbolsAndCommaAbbreviations) {
  EXPECT_EQ(Match(L"? Make Set", L"?"), L"?");
  EXPECT_EQ(Match(L"Polyline,PL Point", L"pl"), L"Polyline");
}

TEST(PointParsing, ReadsAbsoluteRelativeAndLastPointForms) {
  const double from[3] = {10, 20, 5};
  double p[3];
  ASSERT_TRUE(pelvarhost::ParsePoint(L"1.5,-2", from, p));
  EXPECT_EQ(p[0], 1.5);
  EXPECT_EQ(p[1], -2);
  EXPECT_EQ(p[2], 0);
  ASSERT_TRUE(pelvarhost::ParsePoint(L"@1,2", from, p));
  EXPECT_EQ(p[0], 11);
  EXPECT_EQ(p[1], 22);
  EXPECT_EQ(p[2], 5);
  ASSERT_TRUE(pelvarhost::ParsePoint(L"@", from, p));
  EXPECT_EQ(p[1], 20);
  ASSERT_TRUE(pelvarhost::ParsePoint(L" 1e3 , 2 , 3 ", from, p));
  EXPECT_EQ(p[0], 1000);
  EXPECT_EQ(p[2], 3);
  EXPECT_FALSE(pelvarhost::ParsePoint(L"1", from, p));
  EXPECT_FALSE(pelvarhost::ParsePoint(L"1,2,3,4", from, p));
  EXPECT_FALSE(pelvarhost::ParsePoint(L"1,,2", from, p));
  EXPECT_FALSE(pelvarhost::ParsePoint(L"nan,2", from, p));
  EXPECT_FALSE(pelvarhost::ParsePoint(L"1,2x", from, p));
}

TEST(PointParsing, ARelativeAnswerThatOverflowsIsRefusedAndLeavesThePointAlone) {
  const double from[3] = {1e308, -1e308, 0};
  double p[3] = {1, 2, 3};
  EXPECT_FALSE(pelvarhost::ParsePoint(L"@1e308,0", from, p));
  EXPECT_FALSE(pelvarhost::ParsePoint(L"@0,-1e308", from, p));
  const double high[3] = {0, 0, 1.7e308};
  EXPECT_FALSE(pelvarhost::ParsePoint(L"@0,0,1.7e308", high, p));
  EXPECT_EQ(std::vector<double>(p, p + 3), (std::vector<double>{1, 2, 3}));
  // Large but finite sums are points.
  ASSERT_TRUE(pelvarhost::ParsePoint(L"@-1e308,1e308", from, p));
  EXPECT_EQ(std::vector<double>(p, p + 3), (std::vector<double>{0, 0, 0}));
}

}  // namespace
