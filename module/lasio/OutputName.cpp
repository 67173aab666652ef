#include "lasio/OutputName.h"

#include "aced.h"

std::wstring AskOutputName(const std::wstring& cloudPath, const std::wstring& ending, const ACHAR* title,
                           const ACHAR* extension) {
  const size_t dot = cloudPath.rfind(L'.');
  const std::wstring suggested = (dot == std::wstring::npos ? cloudPath : cloudPath.substr(0, dot)) + ending;
  resbuf* result = acutNewRb(RTSTR);
  std::wstring path;
  if (acedGetFileD(title, suggested.c_str(), extension, 1, result) == RTNORM && result->restype == RTSTR &&
      result->resval.rstring != nullptr)
    path = result->resval.rstring;
  acutRelRb(result);
  return path;
}
