// The local mirror folder: the archive's own layout below the mirror root (one folder per
// survey holding ept.json, ept-hierarchy/ and ept-data/), plus datasets.txt in the root.
#pragma once
#include <string>

#include "retrieval/ByteSource.h"

// The file path of a survey's file: the root, a separator unless the root is empty or ends
// with one, the survey name, a separator and the relative path with '/' as the separator.
std::wstring MirrorPath(const std::wstring& root, const std::string& survey, const std::string& relativePath);

// True when the mirrored file opens for reading and is not empty.
bool MirrorFileExists(const std::wstring& root, const std::string& survey, const std::string& relativePath);

// Writes the file whole or not at all: the missing folders of its path are created, the
// bytes go to a temporary file beside it, every write and the close are checked, and only
// then is the temporary file renamed over the target. A failure leaves no file behind.
bool MirrorWriteFile(const std::wstring& root, const std::string& survey, const std::string& relativePath,
                     const ByteBuffer& bytes);

// True when the file exists and holds exactly these bytes: a file read from the mirror
// is not written back over itself.
bool FileHoldsBytes(const std::wstring& path, const ByteBuffer& bytes);

// The path of a URL's mirrored copy below the root, or empty when the URL names neither a
// file below the archive root nor the survey index, or when its path leaves the root.
std::wstring MirrorPathForUrl(const std::wstring& root, const std::string& url);
