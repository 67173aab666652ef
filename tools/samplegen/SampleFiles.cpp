// Sample clouds as file images: KMQ2 through the system's writer, KMQ1 converted from it.
#include <cstdio>
#include <cstring>

#include "cloudfile/ByteOrder.h"
#include "cloudfile/CloudWriter.h"
#include "cloudfile/KmqFormat.h"
#include "tools/samplegen/SampleCloud.h"

std::vector<uint8_t> BuildSampleKmq2(const SampleCloudRequest& request, const SampleCloud& c) {
  return BuildCloudFile(c.x, c.y, c.z, c.cls, c.intensity, c.ground, c.groundNx, c.groundNy, c.groundCell,
                        c.groundOriginX, c.groundOriginY, request.tileName, request.centreX, request.centreY,
                        static_cast<float>(request.side / 2), request.epsg);
}

std::vector<uint8_t> BuildSampleKmq2(const SampleCloudRequest& request) {
  return BuildSampleKmq2(request, GenerateSampleCloud(request));
}

std::vector<uint8_t> BuildSampleKmq1(const SampleCloudRequest& request) { return Kmq2ToKmq1(BuildSampleKmq2(request)); }

// Same header, chunk table and ground grid; the planes become 8-byte records with the
// intensity rounded to 8 bits. Expects a KMQ2 image with a 128-byte header, as the writer makes.
std::vector<uint8_t> Kmq2ToKmq1(std::span<const uint8_t> kmq2) {
  using pelvar::bytes::Load;
  KmqHeader h = ParseKmqHeader(kmq2.data());
  const size_t n = h.pointCount;
  const size_t chunkBytes = sizeof(KmqChunk) * h.chunksX * h.chunksY;
  const size_t pointsAt = kKmqHeaderBytes + chunkBytes + 2 * size_t{h.groundNx} * h.groundNy;
  std::vector<uint8_t> out(pointsAt + sizeof(KmqPoint) * n);
  std::memcpy(h.magic, "KMQ1", 4);
  h.version = 1;
  EncodeKmqHeader(h, out.data());
  std::memcpy(out.data() + kKmqHeaderBytes, kmq2.data() + kKmqHeaderBytes, pointsAt - kKmqHeaderBytes);
  const uint8_t* qx = kmq2.data() + pointsAt;
  const uint8_t* qy = qx + 2 * n;
  const uint8_t* qz = qy + 2 * n;
  const uint8_t* cls = qz + 2 * n;
  const uint8_t* intensity = cls + n;
  for (size_t i = 0; i < n; ++i) {
    const KmqPoint p{Load<uint16_t>(qx + 2 * i), Load<uint16_t>(qy + 2 * i), Load<uint16_t>(qz + 2 * i), cls[i],
                     static_cast<uint8_t>((Load<uint16_t>(intensity + 2 * i) + 128u) / 257u)};
    std::memcpy(out.data() + pointsAt + sizeof(KmqPoint) * i, &p, sizeof p);
  }
  return out;
}

bool WriteBytesToFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written && error != nullptr) *error = "cannot write " + path;
  return written;
}

bool WriteSampleCloud(const SampleCloudRequest& request, const std::string& path, bool kmq1, std::string* error) {
  std::vector<uint8_t> bytes = kmq1 ? BuildSampleKmq1(request) : BuildSampleKmq2(request);
  return WriteBytesToFile(path, bytes, error);
}
