// Loading cloud files (KMQ1 and KMQ2) through a process-wide cache of their images.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
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

// What the reader would say of the header at the start of a whole file image, before that
// image is written: the message of the first header check that fails, or null.
const wchar_t* CloudHeaderFailure(std::span<const uint8_t> image);
