#include "app/Folders.h"

#include <windows.h>

#include <cstdint>
#include <span>

#include "app/Paths.h"
#include "app/WholeFile.h"

namespace {

// The probe's name inside the folder, and its content.
constexpr wchar_t kProbeName[] = L".pelvar-write-probe";
constexpr std::uint8_t kProbeBytes[] = {0};

void CreateWithParents(const std::wstring& folder) {
  for (size_t at = folder.find(kFolderSeparator, 1); at != std::wstring::npos;
       at = folder.find(kFolderSeparator, at + 1))
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

bool EnsureWritableFolder(const std::wstring& folder) {
  if (!folder.empty()) CreateWithParents(folder);
  std::wstring prefix = folder.empty() || folder.back() == kFolderSeparator ? folder : folder + kFolderSeparator;
  const std::wstring probe = prefix + kProbeName;
  if (!WriteWholeFile(probe, kProbeBytes)) return false;
  DeleteFileW(probe.c_str());
  return true;
}
