#include "lazworker/DecodeProtocol.h"

#include <cstring>

namespace {

// The fixed part of an answer: outcome, point format, scale and offset, announced count,
// record count and the length of the failure text.
constexpr size_t kAnswerFixedSize = 2 + 6 * sizeof(double) + 2 * sizeof(std::uint64_t) + sizeof(std::uint16_t);

// Writes values in little-endian order (the only order this program is built for) into
// room sized beforehand.
class Writer {
 public:
  Writer(FrameBytes& out, size_t size) : out_(out) { out_.resize(size); }
  template <typename T>
  void put(T value) {
    putBytes(&value, sizeof(T));
  }
  void putBytes(const void* data, size_t size) {
    if (size == 0) return;
    std::memcpy(out_.data() + at_, data, size);
    at_ += size;
  }

 private:
  FrameBytes& out_;
  size_t at_ = 0;
};

// Reads values in order; reading past the end makes every later read fail.
class Reader {
 public:
  Reader(const std::uint8_t* bytes, size_t size) : at_(bytes), left_(size) {}
  template <typename T>
  bool get(T& value) {
    if (left_ < sizeof(T)) return false;
    std::memcpy(&value, at_, sizeof(T));
    at_ += sizeof(T);
    left_ -= sizeof(T);
    return true;
  }
  const std::uint8_t* take(size_t size) {
    if (left_ < size) return nullptr;
    const std::uint8_t* start = at_;
    at_ += size;
    left_ -= size;
    return start;
  }
  size_t left() const { return left_; }

 private:
  const std::uint8_t* at_;
  size_t left_;
};

void PutRecord(Writer& w, const LasPointRecord& p) {
  w.put(p.x);
  w.put(p.y);
  w.put(p.z);
  w.put(p.intensity);
  w.put(p.classification);
  w.put(p.returnNumber);
  w.put(p.numberOfReturns);
}

void GetRecord(Reader& r, LasPointRecord& p) {
  // The caller has made sure that the bytes are there.
  r.get(p.x);
  r.get(p.y);
  r.get(p.z);
  r.get(p.intensity);
  r.get(p.classification);
  r.get(p.returnNumber);
  r.get(p.numberOfReturns);
}

bool Fail(std::string& why, const char* text) {
  why = text;
  return false;
}

}  // namespace

void PutFrameLength(std::uint64_t length, std::uint8_t* to) { std::memcpy(to, &length, kFrameLengthSize); }

std::uint64_t GetFrameLength(const std::uint8_t* from) {
  std::uint64_t length = 0;
  std::memcpy(&length, from, kFrameLengthSize);
  return length;
}

FrameBytes EncodeDecodeAnswer(const DecodeAnswer& answer) {
  FrameBytes out;
  const LasPointSet& set = answer.points;
  Writer w(out, kAnswerFixedSize + answer.error.size() + set.points.size() * kWireRecordSize);
  w.put(static_cast<std::uint8_t>(answer.outcome));
  w.put(set.pointFormat);
  for (double s : set.scale) w.put(s);
  for (double o : set.offset) w.put(o);
  w.put(set.announcedCount);
  w.put(static_cast<std::uint64_t>(set.points.size()));
  w.put(static_cast<std::uint16_t>(answer.error.size()));
  w.putBytes(answer.error.data(), answer.error.size());
  for (const LasPointRecord& p : set.points) PutRecord(w, p);
  return out;
}

bool ParseDecodeAnswer(const std::uint8_t* bytes, size_t size, DecodeAnswer& answer, std::string& why) {
  Reader r(bytes, size);
  std::uint8_t outcome = 0;
  std::uint64_t count = 0;
  std::uint16_t errorLength = 0;
  LasPointSet& set = answer.points;
  if (size < kAnswerFixedSize) return Fail(why, "answer shorter than its fixed part");
  r.get(outcome);
  r.get(set.pointFormat);
  for (double& s : set.scale) r.get(s);
  for (double& o : set.offset) r.get(o);
  r.get(set.announcedCount);
  r.get(count);
  r.get(errorLength);
  if (outcome > static_cast<std::uint8_t>(DecodeOutcome::kRefused)) return Fail(why, "unknown outcome");
  answer.outcome = static_cast<DecodeOutcome>(outcome);
  if (set.pointFormat > kLastPointFormat) return Fail(why, "unknown point format");
  bool whole = answer.outcome == DecodeOutcome::kWhole;
  if (whole != (errorLength == 0) || errorLength > kMaxAnswerErrorBytes)
    return Fail(why, "failure text does not match the outcome");
  const std::uint8_t* text = r.take(errorLength);
  if (text == nullptr) return Fail(why, "failure text cut short");
  answer.error.assign(reinterpret_cast<const char*>(text), errorLength);
  if (count > set.announcedCount || (whole && count != set.announcedCount))
    return Fail(why, "record count does not match the announced count");
  if (count != r.left() / kWireRecordSize || r.left() % kWireRecordSize != 0)
    return Fail(why, "records do not fill the answer");
  set.points.resize(count);
  for (LasPointRecord& p : set.points) GetRecord(r, p);
  return true;
}
