#include "retrieval/IsolatedLazDecoder.h"

#include <dlfcn.h>

#include <filesystem>

namespace {

const char kAnchor = 0;  // an address inside the module

}  // namespace

std::string DecoderProgramBesideModule() {
  Dl_info info{};
  if (dladdr(&kAnchor, &info) == 0 || info.dli_fname == nullptr) return kDecoderProgramName;
  std::error_code failed;
  std::filesystem::path module = std::filesystem::canonical(info.dli_fname, failed);
  if (failed) module = info.dli_fname;
  return (module.parent_path() / kDecoderProgramName).string();
}

IsolatedLazDecoder::IsolatedLazDecoder(std::vector<std::string> command, std::chrono::milliseconds timeout,
                                       std::uint64_t maxRequestBytes)
    : process_(std::move(command), timeout), maxRequestBytes_(maxRequestBytes) {}

bool IsolatedLazDecoder::decodeRecords(const ByteBuffer& file, LasPointSet& points, std::wstring& error) {
  points = LasPointSet{};
  DecodeAnswer answer;
  std::string why;
  if (file.size() > maxRequestBytes_ || !process_.exchange(file.data(), file.size(), answer_) ||
      !ParseDecodeAnswer(answer_.data(), answer_.size(), answer, why)) {
    process_.stop();
    error = kErrLazDecode;
    return false;
  }
  points = std::move(answer.points);
  if (answer.outcome == DecodeOutcome::kWhole) return true;
  error = WideFromLatin1(answer.error);
  return false;
}

bool IsolatedLazDecoder::decode(const ByteBuffer& lazBytes, const LazPointSink& sink, std::wstring& error) {
  LasPointSet set;
  bool whole = decodeRecords(lazBytes, set, error);
  for (const LasPointRecord& p : set.points)
    sink(set.worldX(p), set.worldY(p), set.worldZ(p), set.pointClass(p), p.intensity);
  return whole;
}
