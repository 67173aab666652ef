#include "analysis/KeywordPrompt.h"

#include <cwchar>

#include "aced.h"

namespace {
constexpr size_t kKeywordBufferSize = 64;
}

bool AnswersKeyword(const ACHAR* keywordList, const ACHAR* prompt, const ACHAR* keyword) {
  acedInitGet(0, keywordList);
  ACHAR answer[kKeywordBufferSize] = {};
  return acedGetKword(prompt, answer) == RTNORM && std::wcscmp(answer, keyword) == 0;
}
