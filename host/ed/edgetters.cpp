// The user-input functions: acedInitGet and the acedGetXxx family.
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "acedads.h"
#include "acutads.h"
#include "edanswer.h"
#include "edparse.h"
#include "hostgraphics.h"
#include "wcrt.h"
#include "wideformat.h"
#include "wideutf8.h"

namespace pelvarhost {
namespace {

// What acedInitGet set for the next input call.
struct InitGet {
  int flags = 0;
  std::vector<Keyword> keywords;
};

InitGet pendingInitGet;
std::wstring lastKeywordInput;

InitGet TakeInitGet() {
  InitGet taken = std::move(pendingInitGet);
  pendingInitGet = InitGet{};
  return taken;
}

int CopyOut(const std::wstring& text, ACHAR* result, size_t bufLen) {
  if (result == nullptr || bufLen == 0) return RTERROR;
  size_t n = text.size() < bufLen ? text.size() : bufLen - 1;
  std::wmemcpy(result, text.data(), n);
  result[n] = L'\0';
  return n < text.size() ? RTINPUTTRUNCATED : RTNORM;
}

// The outcome of one answer that is not a value: Enter, Esc or a keyword.
enum class Outcome { Value, Enter, Cancel, Keyword, Refused };

// Handles the answers every prompt treats alike. Returns Value when the caller should
// parse the text itself.
Outcome Classify(const detail::Answer& answer, const InitGet& init) {
  if (answer.cancelled) return Outcome::Cancel;
  if (answer.text.empty()) {
    if (init.flags & RSG_NONULL) return Outcome::Refused;
    return Outcome::Enter;
  }
  return Outcome::Value;
}

// A keyword (or, with RSG_OTHER, any text) given where a value was asked for.
bool TakeKeyword(const std::wstring& text, const InitGet& init) {
  if (auto keyword = MatchKeyword(init.keywords, text)) {
    lastKeywordInput = *keyword;
    return true;
  }
  if (init.flags & RSG_OTHER) {
    lastKeywordInput = text;
    return true;
  }
  return false;
}

// "nea 10,20": the snap mode, then the point (asked for when it was not on the line).
bool ReadSnappedPoint(const std::wstring& text, const double* from, double point[3], bool* refused) {
  size_t space = text.find(L' ');
  std::wstring mode = text.substr(0, space);
  std::wstring rest = space == std::wstring::npos ? std::wstring() : detail::Trim(text.substr(space));
  if (rest.empty()) {
    detail::Answer more = detail::ReadAnswer(L"of ", detail::AnswerEnd::SpaceOrLine);
    if (more.cancelled) return false;
    rest = more.text;
  }
  double raw[3];
  if (!ParsePoint(rest, from, raw)) {
    *refused = true;
    detail::Refuse(L"\nInvalid point.");
    return false;
  }
  if (!FindObjectSnap(mode, raw, point)) {
    *refused = true;
    detail::Refuse(L"\nNo snap point found.");
    return false;
  }
  return true;
}


int GetPoint(const ads_point base, const ACHAR* prompt, ads_point result) {
  InitGet init = TakeInitGet();
  const double* from = base != nullptr ? base : detail::LastPoint();
  while (true) {
    detail::Answer answer = detail::ReadAnswer(prompt ? prompt : L"", detail::AnswerEnd::SpaceOrLine);
    switch (Classify(answer, init)) {
      case Outcome::Cancel: return RTCAN;
      case Outcome::Enter: return RTNONE;
      case Outcome::Refused: detail::Refuse(L"\nA point is required."); continue;
      default: break;
    }
    double point[3];
    std::wstring firstWord = answer.text.substr(0, answer.text.find(L' '));
    if (IsObjectSnapMode(firstWord) && !MatchKeyword(init.keywords, firstWord)) {
      bool refused = false;
      if (ReadSnappedPoint(answer.text, from, point, &refused)) {
        ads_point_set(point, result);
        detail::SetLastPoint(result);
        return RTNORM;
      }
      if (refused) continue;
      return RTCAN;
    }
    if (ParsePoint(answer.text, from, point)) {
      ads_point_set(point, result);
      detail::SetLastPoint(result);
      return RTNORM;
    }
    if (TakeKeyword(answer.text, init)) return RTKWORD;
    detail::Refuse(init.keywords.empty() ? L"\nInvalid point." : L"\nPoint or option keyword required.");
  }
}

// A number prompt: parse checks the text and stores the value; limits apply RSG flags.
template <typename Parse>
int GetNumber(const ACHAR* prompt, const wchar_t* invalidMessage, Parse parse) {
  InitGet init = TakeInitGet();
  while (true) {
    detail::Answer answer = detail::ReadAnswer(prompt ? prompt : L"", detail::AnswerEnd::SpaceOrLine);
    switch (Classify(answer, init)) {
      case Outcome::Cancel: return RTCAN;
      case Outcome::Enter: return RTNONE;
      case Outcome::Refused: detail::Refuse(L"\nA value is required."); continue;
      default: break;
    }
    double value = 0;
    if (parse(answer.text, &value)) {
      if ((init.flags & RSG_NOZERO) && value == 0) {
        detail::Refuse(L"\nValue must be nonzero.");
        continue;
      }
      if ((init.flags & RSG_NONEG) && value < 0) {
        detail::Refuse(L"\nValue must be positive.");
        continue;
      }
      return RTNORM;
    }
    if (TakeKeyword(answer.text, init)) return RTKWORD;
    detail::Refuse(invalidMessage);
  }
}

std::string ExpandHome(const std::string& path) {
  if (path == "~" || path.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    if (home != nullptr) return home + path.substr(1);
  }
  return path;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file an answer names: relative answers lie in the default folder; a name without an
// extension gets ext.
std::string ResolveFileAnswer(const std::wstring& answer, const std::string& defaultFolder, const std::string& ext) {
  std::string path = ExpandHome(WideToUtf8(answer));
  if (path.empty()) return path;
  if (path[0] != '/' && !defaultFolder.empty()) {
    path = defaultFolder + (defaultFolder.back() == '/' ? "" : "/") + path;
  }
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!ext.empty() && !hasExtension) path += "." + ext;
  return path;
}

}  // namespace
}  // namespace pelvarhost

using namespace pelvarhost;

int acedInitGet(int flags, const ACHAR* keywordList) {
  pendingInitGet.flags = flags;
  pendingInitGet.keywords = keywordList != nullptr ? ParseKeywordList(keywordList) : std::vector<Keyword>{};
  return RTNORM;
}

int acedGetInput(ACHAR* str, size_t bufLen) { return CopyOut(lastKeywordInput, str, bufLen); }

int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t bufLen) {
  InitGet init = TakeInitGet();
  if (result != nullptr && bufLen > 0) result[0] = L'\0';
  while (true) {
    detail::Answer answer = detail::ReadAnswer(prompt ? prompt : L"", detail::AnswerEnd::SpaceOrLine);
    switch (Classify(answer, init)) {
      case Outcome::Cancel: return RTCAN;
      case Outcome::Enter: return RTNONE;
      case Outcome::Refused: detail::Refuse(L"\nInvalid option keyword."); continue;
      default: break;
    }
    if (TakeKeyword(answer.text, init)) return CopyOut(lastKeywordInput, result, bufLen);
    detail::Refuse(L"\nInvalid option keyword.");
  }
}

int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result) {
  const RubberBandScope band(RubberBandKind::Line, base);
  return GetPoint(base, prompt, result);
}

int acedGetCorner(const ads_point base, const ACHAR* prompt, ads_point result) {
  const RubberBandScope band(RubberBandKind::Rectangle, base);
  return GetPoint(base, prompt, result);
}

int acedGetReal(const ACHAR* prompt, ads_real* result) {
  double value = 0;
  int rc = GetNumber(prompt, L"\nRequires numeric value.", [&value](const std::wstring& text, double* v) {
    if (!ParseReal(text, &value)) return false;
    *v = value;
    return true;
  });
  if (rc == RTNORM && result != nullptr) *result = value;
  return rc;
}

int acedGetDist(const ads_point base, const ACHAR* prompt, ads_real* result) {
  double value = 0;
  const double* from = base != nullptr ? base : detail::LastPoint();
  const RubberBandScope band(RubberBandKind::Line, base);
  int rc = GetNumber(prompt, L"\nRequires numeric distance or second point.", [&](const std::wstring& text, double* v) {
    double p[3];
    if (ParseReal(text, &value)) {
    } else if (base != nullptr && ParsePoint(text, from, p)) {
      value = std::hypot(p[0] - from[0], p[1] - from[1], p[2] - from[2]);
    } else {
      return false;
    }
    *v = value;
    return true;
  });
  if (rc == RTNORM && result != nullptr) *result = value;
  return rc;
}

int acedGetAngle(const ads_point base, const ACHAR* prompt, ads_real* result) {
  double radians = 0;
  const double* from = base != nullptr ? base : detail::LastPoint();
  const RubberBandScope band(RubberBandKind::Line, base);
  int rc = GetNumber(prompt, L"\nRequires numeric angle or second point.", [&](const std::wstring& text, double* v) {
    double degrees, p[3];
    if (ParseReal(text, &degrees)) {
      radians = degrees * std::numbers::pi / 180.0;
    } else if (base != nullptr && ParsePoint(text, from, p)) {
      radians = std::atan2(p[1] - from[1], p[0] - from[0]);
    } else {
      return false;
    }
    *v = radians;
    return true;
  });
  if (rc == RTNORM && result != nullptr) *result = radians;
  return rc;
}

int acedGetShort(const ACHAR* prompt, short* result) {
  long long value = 0;
  int rc = GetNumber(prompt, L"\nRequires an integer between -32768 and 32767.", [&value](const std::wstring& text, double* v) {
    if (!ParseInteger(text, &value) || value < -32768 || value > 32767) return false;
    *v = static_cast<double>(value);
    return true;
  });
  if (rc == RTNORM && result != nullptr) *result = static_cast<short>(value);
  return rc;
}

int acedGetInt(const ACHAR* prompt, int* result) {
  long long value = 0;
  int rc = GetNumber(prompt, L"\nRequires an integer value.", [&value](const std::wstring& text, double* v) {
    if (!ParseInteger(text, &value) || value < INT32_MIN || value > INT32_MAX) return false;
    *v = static_cast<double>(value);
    return true;
  });
  if (rc == RTNORM && result != nullptr) *result = static_cast<int>(value);
  return rc;
}

namespace {

// The longest file name a file prompt takes, as a 1024-character buffer would.
constexpr size_t kMaxFileAnswerLength = 1023;

void RefuseTooLong(size_t length, size_t most) {
  detail::Refuse(FormatWide(L"\nThe answer is too long: %zu characters, at most %zu.", length, most));
}

}  // namespace

int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufLen) {
  TakeInitGet();
  if (result == nullptr || bufLen == 0) return RTERROR;
  result[0] = L'\0';
  while (true) {
    detail::Answer answer = detail::ReadAnswer(prompt ? prompt : L"", cronly ? detail::AnswerEnd::Line
                                                                             : detail::AnswerEnd::SpaceOrLine);
    if (answer.cancelled) return RTCAN;
    if (answer.text.size() < bufLen) return CopyOut(answer.text, result, bufLen);
    RefuseTooLong(answer.text.size(), bufLen - 1);
  }
}

int acedGetFileD(const ACHAR* title, const ACHAR* defaultPath, const ACHAR* ext, int flags, struct resbuf* result) {
  TakeInitGet();
  if (result == nullptr) return RTERROR;
  std::string defaultText = ExpandHome(WideToUtf8(defaultPath != nullptr ? defaultPath : L""));
  std::string extension = WideToUtf8(ext != nullptr ? ext : L"");
  bool defaultIsFolder = defaultText.empty() || defaultText.back() == '/' || IsFolder(defaultText);
  std::wstring prompt = L"\n" + std::wstring(title != nullptr && title[0] ? title : L"File name");
  if (!defaultText.empty()) prompt += L" <" + Utf8ToWide(defaultText) + L">";
  prompt += L": ";
  const FileRequest request{title != nullptr && title[0] ? title : L"File name", Utf8ToWide(defaultText),
                            Utf8ToWide(extension), (flags & 1) != 0};
  const detail::FilePromptScope asking(request);
  while (true) {
    std::optional<detail::Answer> chosen = detail::AnswerFromFileChooser(prompt, request);
    detail::Answer answer = chosen ? *chosen : detail::ReadAnswer(prompt, detail::AnswerEnd::Line);
    if (answer.cancelled) return RTCAN;
    if (answer.text.size() > kMaxFileAnswerLength) {
      RefuseTooLong(answer.text.size(), kMaxFileAnswerLength);
      continue;
    }
    std::string path;
    if (answer.text.empty()) {
      if (defaultIsFolder) return RTCAN;  // nothing chosen: as the dialog's Cancel
      path = defaultText;
    } else {
      path = ResolveFileAnswer(answer.text, defaultIsFolder ? defaultText : std::string(), extension);
    }
    if ((flags & 1) == 0 && !IsRegularFile(path)) {
      detail::Refuse(L"\nFile not found: " + Utf8ToWide(path));
      continue;
    }
    std::wstring wide = Utf8ToWide(path);
    if (result->restype == RTSTR) std::free(result->resval.rstring);
    result->restype = RTSTR;
    result->resval.rstring = static_cast<ACHAR*>(std::malloc((wide.size() + 1) * sizeof(ACHAR)));
    if (result->resval.rstring == nullptr) return RTERROR;
    std::wmemcpy(result->resval.rstring, wide.c_str(), wide.size() + 1);
    return RTNORM;
  }
}

int acedUsrBrk() { return detail::TakeBreak() ? 1 : 0; }
