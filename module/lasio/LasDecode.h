// The one place the import decodes the points of a user's LAS or LAZ file.
#pragma once
#include <string>

#include "retrieval/ByteSource.h"
#include "retrieval/EptTypes.h"

// Fills the columns of `points` with every point of the file held in `bytes`, decoded in the
// sandboxed decoder program: X, Y, Z scaled and offset (the file's own coordinates), the
// class (the low five bits of the classification byte for point formats 0 to 5, the whole
// extended byte for 6 to 10) and the intensity. False, with LASzip's reason (or the
// decoder's) in `error`, when the file cannot be decoded whole.
bool DecodeLasPoints(const ByteBuffer& bytes, EptFetchResult& points, std::wstring& error);
