#include "app/DownloadsFolder.h"

#include <shlobj.h>

#include "app/Paths.h"

std::wstring DownloadsFolderWithSeparator() {
  PWSTR folder = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &folder)) && folder != nullptr)
    result = std::wstring(folder) + kFolderSeparator;
  CoTaskMemFree(folder);
  return result;
}
