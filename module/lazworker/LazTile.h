// Decoding one LAZ (or LAS) file held in memory with LASzip. Only the decoder program
// (pelvar-lazdecode) runs this on bytes from outside; the module asks it through
// IsolatedLazDecoder.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "lazworker/DecodeProtocol.h"
#include "lazworker/LasRecords.h"
#include "retrieval/ByteSource.h"
#include "retrieval/EptTypes.h"

// The header values the decoder relies on, read from the tile's first bytes.
struct LasHeaderFacts {
  std::uint8_t versionMajor = 0, versionMinor = 0;
  std::uint8_t pointFormat = 0;  // compression bits cleared
  std::uint16_t recordLength = 0;
  std::uint64_t pointCount = 0;  // the 64-bit count of a LAS 1.4 header, else the legacy one
  bool compressed = false;
  std::uint32_t pointDataOffset = 0;
};

// The header facts, or nothing when the header is cut short, not a LAS header, has an
// unknown point format or records too short for their format, or when the tile is shorter
// than its point data: the records of an uncompressed tile, the chunk table (whose place
// the compressed data begins with) of a compressed one.
std::optional<LasHeaderFacts> ReadLasHeaderFacts(const ByteBuffer& tile);

// The record length a point format needs at least (formats 0 to 10), or 0 for an unknown one.
std::uint16_t MinimumRecordLength(std::uint8_t pointFormat);

// Passes every point of the tile to the sink: X, Y, Z scaled and offset, intensity, and the
// class (the low five bits of the classification byte for formats 0 to 5, the extended
// classification byte for formats 6 to 10). False, with `error` set, when the tile cannot be
// decoded whole; points already passed stay with the sink.
bool DecodeLazTile(const ByteBuffer& tile, const LazPointSink& sink, std::wstring& error);

// Every record of a whole LAS or LAZ file, with the header's scale and offset. False, with
// `error` set (LASzip's text, else kLazDecodeFailed), when the file cannot be decoded whole;
// `points` then holds the records read before the fault.
bool DecodeLasFile(const ByteBuffer& file, LasPointSet& points, std::string& error);
