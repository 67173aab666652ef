// Keyword prompts: the keyword list is set first and the answer compared exactly with the
// canonical keyword; anything else (Enter, another keyword, Esc) takes the default.
#pragma once
#include "AdAChar.h"

// True when the user answers the prompt with exactly `keyword` (one of `keywordList`).
bool AnswersKeyword(const ACHAR* keywordList, const ACHAR* prompt, const ACHAR* keyword);
