// What the module and the decoder program say to each other over one pipe: frames of a
// 64-bit little-endian length followed by that many bytes. The module sends a request frame
// holding a LAS or LAZ file's bytes; the program answers with one frame (EncodeDecodeAnswer)
// for each request, in order. The module trusts nothing in an answer: ParseDecodeAnswer
// checks every count and size against the frame's length.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lazworker/LasRecords.h"

using FrameBytes = std::vector<std::uint8_t>;

// The failure of a file that gave no text of its own.
inline constexpr char kLazDecodeFailed[] = "laz decode failed";

inline constexpr size_t kFrameLengthSize = sizeof(std::uint64_t);
// No tile larger than this is sent to the decoder, and no answer longer than this is read.
inline constexpr std::uint64_t kMaxRequestBytes = std::uint64_t{512} << 20;
// A user's whole file may be larger: 50,000,000 points of the longest standard record (67
// bytes) with their header and records fit.
inline constexpr std::uint64_t kMaxWholeFileRequestBytes = std::uint64_t{4} << 30;
inline constexpr std::uint64_t kMaxAnswerBytes = std::uint64_t{1} << 30;
// The longest failure text an answer may carry.
inline constexpr size_t kMaxAnswerErrorBytes = 1024;
// One point record on the wire: X, Y, Z, intensity, classification, return number and
// number of returns, little-endian, without padding.
inline constexpr size_t kWireRecordSize = 3 * sizeof(std::int32_t) + sizeof(std::uint16_t) + 3;

// How a decode went: every announced point decoded, or the file refused (with the points
// decoded before the fault, and a text saying why).
enum class DecodeOutcome : std::uint8_t { kWhole = 0, kRefused = 1 };

struct DecodeAnswer {
  DecodeOutcome outcome = DecodeOutcome::kWhole;
  std::string error;  // empty exactly when whole
  LasPointSet points;
};

// The frame's length prefix.
void PutFrameLength(std::uint64_t length, std::uint8_t* to);
std::uint64_t GetFrameLength(const std::uint8_t* from);

// The answer's bytes (the frame's content, without its length).
FrameBytes EncodeDecodeAnswer(const DecodeAnswer& answer);

// Reads an answer's bytes. False, with `why` saying what was wrong, unless the bytes are one
// well-formed answer: a known outcome, a point format of 0 to 10, a failure text exactly
// when refused and no longer than kMaxAnswerErrorBytes, as many records as the answer says
// and no byte more, all announced points when whole and no more than announced when refused.
bool ParseDecodeAnswer(const std::uint8_t* bytes, size_t size, DecodeAnswer& answer, std::string& why);

// A failure text (single-byte characters) widened one character to one.
inline std::wstring WideFromLatin1(const std::string& text) {
  std::wstring wide;
  for (char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}
