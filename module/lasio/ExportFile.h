// The pieces of an export that need no prompt: the whole-cloud rectangle, the encoding a
// file name asks for and the names tried when it is taken.
#pragma once
#include <optional>
#include <string>

#include "classify/CropCut.h"
#include "cloudfile/KmqData.h"

// A rectangle that holds every point of the cloud (its high edges beyond the last code).
CropRect WholeCloudRect(const KmqData& data);

// True for a name ending in .laz, false for .las (any case); nothing for another ending.
std::optional<bool> CompressedByName(const std::wstring& path);

// The path itself for k = 1, "STEM_k.EXT" beside it after that.
std::wstring NumberedPath(const std::wstring& path, int k);
