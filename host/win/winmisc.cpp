// Module, folder, thread and window functions of the Windows stand-in.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "windows.h"
#include "wideutf8.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

struct ThreadHandle {
  std::thread thread;
};

std::mutex& HandleMutex() {
  static std::mutex mutex;
  return mutex;
}

std::set<ThreadHandle*>& LiveThreads() {
  static std::set<ThreadHandle*> threads;
  return threads;
}

}  // namespace

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  if (lpPathName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (::mkdir(pelvarhost::WideToUtf8(lpPathName).c_str(), 0777) == 0) return TRUE;
  SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
  return FALSE;
}

BOOL DeleteFileW(LPCWSTR lpFileName) {
  if (lpFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (::unlink(pelvarhost::WideToUtf8(lpFileName).c_str()) == 0) return TRUE;
  SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
  return FALSE;
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string from = pelvarhost::WideToUtf8(lpExistingFileName);
  std::string to = pelvarhost::WideToUtf8(lpNewFileName);
  struct stat info {};
  if ((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0 && ::lstat(to.c_str(), &info) == 0) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (::rename(from.c_str(), to.c_str()) == 0) return TRUE;
  SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
  return FALSE;
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  struct stat info {};
  if (lpFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (::stat(pelvarhost::WideToUtf8(lpFileName).c_str(), &info) != 0) {
    SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  if (!S_ISREG(info.st_mode)) return FILE_ATTRIBUTE_DEVICE;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD, LPDWORD lpThreadId) {
  if (lpStartAddress == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto handle = std::make_unique<ThreadHandle>();
  try {
    handle->thread = std::thread([lpStartAddress, lpParameter] { lpStartAddress(lpParameter); });
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (lpThreadId != nullptr) *lpThreadId = static_cast<DWORD>(std::hash<std::thread::id>{}(handle->thread.get_id()));
  std::lock_guard lock(HandleMutex());
  LiveThreads().insert(handle.get());
  return handle.release();
}

BOOL CloseHandle(HANDLE hObject) {
  auto* handle = static_cast<ThreadHandle*>(hObject);
  {
    std::lock_guard lock(HandleMutex());
    if (LiveThreads().erase(handle) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  handle->thread.detach();
  delete handle;
  return TRUE;
}

void Sleep(DWORD dwMilliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds)); }

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int textLength, LPWSTR wide, int wideLength) {
  if (codePage != CP_UTF8 || text == nullptr || textLength < -1 || wideLength < 0 ||
      (wideLength > 0 && wide == nullptr)) {
    lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  const std::size_t bytes = textLength == -1 ? std::strlen(text) + 1 : static_cast<std::size_t>(textLength);
  const std::wstring converted = pelvarhost::Utf8ToWide(std::string_view(text, bytes));
  const int needed = static_cast<int>(converted.size());
  if (wideLength == 0) return needed;
  if (needed > wideLength) {
    lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::copy(converted.begin(), converted.end(), wide);
  return needed;
}
