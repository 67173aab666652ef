// The input functions driven by scripted answers in-process, with the exact transcript.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

#include "aced.h"
#include "hostgraphics.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

using pelvarhost::OutputCapture;

class PromptTest : public ::testing::Test {
 protected:
  void SetUp() override { pelvarhost::FinishOutputLine(); }  // each test starts on a fresh line
  void Answer(const wchar_t* lines) {
    pelvarhost::ResetInput();
    pelvarhost::AddInputSource(pelvarhost::MakeTextInput(lines));
  }
  void TearDown() override {
    pelvarhost::ResetInput();
    pelvarhost::FinishOutputLine();
  }
  OutputCapture out;
};
// The capture starts before SetUp; the fresh-line state is what matters, not its text.

TEST_F(PromptTest, KeywordByAbbreviationAndPrefixComesBackCanonical) {
  Answer(L"n\ngr\n");
  ACHAR kw[32];
  acedInitGet(0, L"Ground Nearest");
  ASSERT_EQ(acedGetKword(L"\nElevation source [Ground/Nearest] <Ground>: ", kw, 32), RTNORM);
  EXPECT_STREQ(kw, L"Nearest");
  acedInitGet(0, L"Ground Nearest");
  ASSERT_EQ(acedGetKword(L"\nAgain: ", kw, 32), RTNORM);
  EXPECT_STREQ(kw, L"Ground");
}

TEST_F(PromptTest, RejectedKeywordIsAskedAgain) {
  Answer(L"maybe\nY\n");
  ACHAR kw[8];
  acedInitGet(0, L"Yes No");
  ASSERT_EQ(acedGetKword(L"\nConvert? [Yes/No] <Yes>: ", kw, 8), RTNORM);
  EXPECT_STREQ(kw, L"Yes");
  pelvarhost::FinishOutputLine();
  EXPECT_EQ(out.Text(), "Convert? [Yes/No] <Yes>: maybe\nInvalid option keyword.\nConvert? [Yes/No] <Yes>: Y\n");
}

TEST_F(PromptTest, EnterEscAndEndOfInputGiveTheirCodes) {
  Answer(L"\n^C\n");
  ACHAR kw[8] = L"x";
  acedInitGet(0, L"Yes No");
  EXPECT_EQ(acedGetKword(L"\nA: ", kw, 8), RTNONE);
  EXPECT_STREQ(kw, L"");
  acedInitGet(0, L"Yes No");
  EXPECT_EQ(acedGetKword(L"\nB: ", kw, 8), RTCAN);
  ads_point p;
  EXPECT_EQ(acedGetPoint(nullptr, L"\nC: ", p), RTCAN);  // the input has ended
  pelvarhost::FinishOutputLine();
  EXPECT_EQ(out.Text(), "A: \nB: *Cancel*\nC: *Cancel*\n");
}

// Each prompt's codes for Enter, Esc and a keyword, with the keywords "Undo Exit" set first.
TEST_F(PromptTest, EveryPromptGivesItsCodesForEnterEscAndAKeyword) {
  ads_point p, base = {1, 1, 0};
  double r = 0;
  short s = 0;
  ACHAR text[16];
  using Prompt = std::function<int()>;
  const std::vector<std::pair<const char*, Prompt>> prompts = {
      {"point", [&] { return acedGetPoint(nullptr, L"\nP: ", p); }},
      {"corner", [&] { return acedGetCorner(base, L"\nC: ", p); }},
      {"real", [&] { return acedGetReal(L"\nR: ", &r); }},
      {"short", [&] { return acedGetShort(L"\nS: ", &s); }},
      {"keyword", [&] { return acedGetKword(L"\nK: ", text, 16); }},
  };
  for (const auto& [name, prompt] : prompts) {
    Answer(L"\n^C\nu\n");
    acedInitGet(0, L"Undo Exit");
    EXPECT_EQ(prompt(), RTNONE) << name;
    acedInitGet(0, L"Undo Exit");
    EXPECT_EQ(prompt(), RTCAN) << name;
    acedInitGet(0, L"Undo Exit");
    EXPECT_EQ(prompt(), std::string(name) == "keyword" ? RTNORM : RTKWORD) << name;
    ASSERT_EQ(acedGetInput(text, 16), RTNORM);
    EXPECT_STREQ(text, L"Undo") << name;
  }
  // A string takes Enter as an empty text; a file prompt over a folder takes it as Cancel.
  Answer(L"\n^C\n\n^C\n");
  EXPECT_EQ(acedGetString(1, L"\nT: ", text, 16), RTNORM);
  EXPECT_STREQ(text, L"");
  EXPECT_EQ(acedGetString(1, L"\nT: ", text, 16), RTCAN);
  resbuf* rb = acutNewRb(RTSTR);
  std::wstring folder = pelvarhost::Utf8ToWide(::testing::TempDir());
  EXPECT_EQ(acedGetFileD(L"Cloud", folder.c_str(), L"kmt", 0, rb), RTCAN);
  EXPECT_EQ(acedGetFileD(L"Cloud", folder.c_str(), L"kmt", 0, rb), RTCAN);
  EXPECT_EQ(rb->resval.rstring, nullptr);
  acutRelRb(rb);
}

TEST_F(PromptTest, KeywordListAppliesToTheNextCallOnly) {
  Answer(L"Yes\nYes\n^C\n");
  ACHAR kw[8];
  acedInitGet(0, L"Yes No");
  EXPECT_EQ(acedGetKword(L"\n1: ", kw, 8), RTNORM);
  EXPECT_EQ(acedGetKword(L"\n2: ", kw, 8), RTCAN);  // "Yes" refused, then Esc
  EXPECT_NE(out.Text().find("2: Yes\nInvalid option keyword.\n2: *Cancel*"), std::string::npos) << out.Text();
}

TEST_F(PromptTest, PointsAbsoluteRelativeAndKeywords) {
  Answer(L"10,20,3\n@1,1\nclose\nhello\n5,5\n");
  ads_point p, base = {100, 100, 0};
  ASSERT_EQ(acedGetPoint(nullptr, L"\nP: ", p), RTNORM);
  EXPECT_EQ(p[0], 10);
  EXPECT_EQ(p[2], 3);
  ASSERT_EQ(acedGetPoint(base, L"\nQ: ", p), RTNORM);
  EXPECT_EQ(p[0], 101);
  EXPECT_EQ(p[1], 101);
  acedInitGet(0, L"Close Undo");
  ASSERT_EQ(acedGetPoint(base, L"\nR: ", p), RTKWORD);
  ACHAR kw[16];
  ASSERT_EQ(acedGetInput(kw, 16), RTNORM);
  EXPECT_STREQ(kw, L"Close");
  acedInitGet(0, L"Close Undo");
  ASSERT_EQ(acedGetCorner(base, L"\nS: ", p), RTNORM);
  EXPECT_NE(out.Text().find("S: hello\nPoint or option keyword required.\nS: 5,5\n"), std::string::npos) << out.Text();
}

TEST_F(PromptTest, ShortRefusesOutOfRangeAndRealHonoursLimits) {
  Answer(L"40000\n-7\n0\n-1\n2.5\n");
  short s = 0;
  ASSERT_EQ(acedGetShort(L"\nN: ", &s), RTNORM);
  EXPECT_EQ(s, -7);
  acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
  double r = 0;
  ASSERT_EQ(acedGetReal(L"\nR: ", &r), RTNORM);
  EXPECT_EQ(r, 2.5);
  pelvarhost::FinishOutputLine();
  EXPECT_EQ(out.Text(),
            "N: 40000\nRequires an integer between -32768 and 32767.\nN: -7\n"
            "R: 0\nValue must be nonzero.\nR: -1\nValue must be positive.\nR: 2.5\n");
}

TEST_F(PromptTest, NoNullRefusesEnter) {
  Answer(L"\n3\n");
  acedInitGet(RSG_NONULL, nullptr);
  double r = 0;
  ASSERT_EQ(acedGetReal(L"\nW: ", &r), RTNORM);
  EXPECT_EQ(r, 3);
}

TEST_F(PromptTest, StringKeepsSpacesAndAsksAgainForAnAnswerTooLong) {
  Answer(L"D:\\3dep mirror\nabcd\nabc\n\n");
  ACHAR text[64];
  ASSERT_EQ(acedGetString(1, L"\nFolder: ", text, 64), RTNORM);
  EXPECT_STREQ(text, L"D:\\3dep mirror");
  ACHAR small[4];
  EXPECT_EQ(acedGetString(1, L"\nShort: ", small, 4), RTNORM);
  EXPECT_STREQ(small, L"abc");
  EXPECT_NE(out.Text().find("Short: abcd\nThe answer is too long: 4 characters, at most 3.\nShort: abc\n"),
            std::string::npos)
      << out.Text();
  EXPECT_EQ(acedGetString(1, L"\nEmpty: ", text, 64), RTNORM);
  EXPECT_STREQ(text, L"");
}

TEST_F(PromptTest, FileDialogRefusesAMissingFileAndFillsTheResultBuffer) {
  std::string folder = ::testing::TempDir();
  std::string existing = folder + "/prompt_test_file.kmt";
  std::ofstream(existing) << "x";
  std::wstring answers = L"missing\n" + std::wstring(existing.begin(), existing.end()) + L"\n";
  Answer(answers.c_str());
  resbuf* rb = acutNewRb(RTSTR);
  ASSERT_EQ(acedGetFileD(L"Select Mardel cloud", L"", L"kmt", 0, rb), RTNORM);
  EXPECT_EQ(rb->restype, RTSTR);
  EXPECT_EQ(std::wstring(rb->resval.rstring), std::wstring(existing.begin(), existing.end()));
  acutRelRb(rb);
  EXPECT_NE(out.Text().find("Select Mardel cloud: missing\nFile not found: missing.kmt\nSelect Mardel cloud: "),
            std::string::npos)
      << out.Text();
  std::remove(existing.c_str());
}

TEST_F(PromptTest, BreakMarkIsSeenByTheNextPollOnly) {
  Answer(L"^BREAK\n7\n");
  EXPECT_EQ(acedUsrBrk(), 1);
  EXPECT_EQ(acedUsrBrk(), 0);
  short s = 0;
  ASSERT_EQ(acedGetShort(L"\nN: ", &s), RTNORM);  // the mark was not an answer
  EXPECT_EQ(s, 7);
  pelvarhost::RequestBreak();
  EXPECT_EQ(acedUsrBrk(), 1);
  EXPECT_EQ(acedUsrBrk(), 0);
}

TEST_F(PromptTest, BreakMarkBetweenAnswersArmsTheNextPoll) {
  Answer(L"^BREAK\n7\n");
  short s = 0;
  ASSERT_EQ(acedGetShort(L"\nN: ", &s), RTNORM);
  EXPECT_EQ(s, 7);
  EXPECT_EQ(acedUsrBrk(), 1);
}

TEST_F(PromptTest, BreakMarkOpeningTheNextSourceIsSeenOnceTheFirstHasEnded) {
  Answer(L"7");  // as a -c line before a script
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(L"^BREAK\n8\n"));
  short s = 0;
  ASSERT_EQ(acedGetShort(L"\nN: ", &s), RTNORM);
  EXPECT_EQ(s, 7);
  EXPECT_EQ(acedUsrBrk(), 1);
  EXPECT_EQ(acedUsrBrk(), 0);
  ASSERT_EQ(acedGetShort(L"\nN: ", &s), RTNORM);
  EXPECT_EQ(s, 8);
}

TEST_F(PromptTest, SnapPrefixUsesTheHookOrIsRefused) {
  Answer(L"nea 10,20\nnea 1,1\n^C\n");
  pelvarhost::SetObjectSnapHook([](std::wstring_view mode, const double in[3], double outPoint[3]) {
    if (mode != L"nea" || in[0] != 10) return false;
    outPoint[0] = 11;
    outPoint[1] = 21;
    outPoint[2] = 0;
    return true;
  });
  ads_point p;
  ASSERT_EQ(acedGetPoint(nullptr, L"\nP: ", p), RTNORM);
  EXPECT_EQ(p[0], 11);
  EXPECT_EQ(acedGetPoint(nullptr, L"\nQ: ", p), RTCAN);
  pelvarhost::SetObjectSnapHook(nullptr);
  EXPECT_NE(out.Text().find("Q: nea 1,1\nNo snap point found.\nQ: *Cancel*"), std::string::npos) << out.Text();
}

TEST_F(PromptTest, RefusalAfterTheSnapsOwnPromptAddsNoEmptyLine) {
  Answer(L"nea\n1,1\n^C\n");
  ads_point p;
  EXPECT_EQ(acedGetPoint(nullptr, L"\nP: ", p), RTCAN);  // no snap hook: no snap point
  pelvarhost::FinishOutputLine();
  EXPECT_EQ(out.Text(), "P: nea\nof 1,1\nNo snap point found.\nP: *Cancel*\n");
}

TEST_F(PromptTest, GrDrawKeepsVectorsUntilRedraw) {
  ads_point a = {0, 0, 0}, b = {1, 2, 3};
  pelvarhost::ClearTemporaryVectors();
  ASSERT_EQ(acedGrDraw(a, b, 40, 0), RTNORM);
  ASSERT_EQ(pelvarhost::TemporaryVectors().size(), 1u);
  EXPECT_EQ(pelvarhost::TemporaryVectors()[0].colour, 40);
  EXPECT_EQ(pelvarhost::TemporaryVectors()[0].to[2], 3);
  acedRedraw(nullptr, 0);
  EXPECT_TRUE(pelvarhost::TemporaryVectors().empty());
}

TEST_F(PromptTest, PrintfFormatsWideAndNarrowStringsAndLongTexts) {
  std::wstring longText(5000, L'a');
  acutPrintf(L"\n%ls|%s|%d|%.2f", L"w\u00e9", "n", 42, 1.005);
  acutPrintf(L"\n%ls", longText.c_str());
  acutPrintf(L"\rover");
  // A fresh line swallows the leading line break.
  EXPECT_TRUE(out.Text() == "w\xC3\xA9|n|42|1.00\n" + std::string(5000, 'a') + "\rover");
}

}  // namespace
