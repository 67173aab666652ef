// Loading cloud files (KMQ1 and KMQ2) through a process-wide cache of their images.
#pragma once
#include <cstddef>
#include <string>

#include "cloudfile/KmqData.h"

// Returns the image of the file at `path`: from the cache when this exact path (compared code
// unit by code unit) loaded before, else read and checked from disk and then cached.
// On failure returns null and, when errorText is given, replaces it with the reason.
KmqDataPtr LoadCloudFile(const std::wstring& path, std::wstring* errorText = nullptr);

// Drops the cached image of one path, so that its next load reads the file again
// (for commands that have just written that file). Users' references stay valid.
void ForgetCloudFile(const std::wstring& path);

// Drops every cached image (on module unload).
void ClearCloudCache();

// Number of cached images.
size_t CloudCacheSize();
