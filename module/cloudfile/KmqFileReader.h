// Reading and checking one cloud file from disk, without the cache (used by CloudCache.cpp).
#pragma once
#include <string>

#include "cloudfile/KmqData.h"

// Reads the file at `path` into a new image. On failure returns null and sets *failure to
// the fixed message of the first check that failed.
KmqDataPtr ReadCloudImage(const std::wstring& path, const wchar_t** failure);
