// LAS and LAZ decoding in a worker process of its own (pelvar-lazdecode, beside the
// module), so that a damaged or hostile file can end the worker but never this program.
// One decoder keeps its worker alive from one file to the next; a worker that crashes, is
// ended by one of its limits, overruns the time-out or answers anything but a well-formed
// answer makes that file fail with "laz decode failed", and the next file gets a fresh one.
// One decoder serves one thread at a time.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "lazworker/DecodeProtocol.h"
#include "lazworker/LasRecords.h"
#include "retrieval/ByteSource.h"
#include "retrieval/DecoderProcess.h"
#include "retrieval/EptTypes.h"

inline constexpr char kDecoderProgramName[] = "pelvar-lazdecode";
inline constexpr std::chrono::milliseconds kDecodeTimeout{20000};

// The decoder program in the folder of the module (or program) holding this code.
std::string DecoderProgramBesideModule();

class IsolatedLazDecoder {
 public:
  // A file longer than `maxRequestBytes` is not sent (the worker refuses longer ones too).
  explicit IsolatedLazDecoder(std::vector<std::string> command = {DecoderProgramBesideModule()},
                              std::chrono::milliseconds timeout = kDecodeTimeout,
                              std::uint64_t maxRequestBytes = kMaxRequestBytes);

  // Every record of a whole LAS or LAZ file. False, with `error` set, when the file cannot
  // be decoded whole: the decoder's own text when it refused the file (`points` then holds
  // the records before the fault), kErrLazDecode when the worker failed (`points` empty).
  bool decodeRecords(const ByteBuffer& file, LasPointSet& points, std::wstring& error);

  // The same points passed to the sink as the in-process tile decoder passes them: X, Y, Z
  // scaled and offset, the class and the intensity. Points before a fault reach the sink too.
  bool decode(const ByteBuffer& lazBytes, const LazPointSink& sink, std::wstring& error);

  // The worker's process id, or -1 when none runs.
  pid_t workerPid() const { return process_.pid(); }

 private:
  DecoderProcess process_;
  std::uint64_t maxRequestBytes_;
  FrameBytes answer_;
};
