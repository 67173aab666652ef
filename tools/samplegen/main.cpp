// samplegen --points N --seed S --out FILE [--kmq1] [--epsg E] [--name NAME] [--centre X,Y] [--side FT]
// Writes a synthetic cloud tile and prints one line of summary.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "tools/samplegen/SampleCloud.h"

namespace {

constexpr char kUsage[] =
    "usage: samplegen --points N --seed S --out FILE [--kmq1] [--epsg E] [--name NAME] [--centre X,Y] [--side FT]\n";

struct Options {
  SampleCloudRequest request;
  std::string out;
  bool kmq1 = false;
};

// The whole text as a finite number: "nan" and "inf" would wreck the scene's geometry.
bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(*value);
}

// A non-negative number that fits the integer field, stored there; false (field untouched)
// when it does not fit, instead of a conversion that wraps or is undefined.
template <class T>
bool StoreWhole(double number, T* field) {
  if (number < 0 || number >= std::ldexp(1.0, std::numeric_limits<T>::digits)) return false;
  *field = static_cast<T>(number);
  return true;
}

bool ParseCentre(const char* text, SampleCloudRequest* request) {
  std::string both(text);
  size_t comma = both.find(',');
  if (comma == std::string::npos) return false;
  return ParseNumber(both.substr(0, comma).c_str(), &request->centreX) &&
         ParseNumber(both.substr(comma + 1).c_str(), &request->centreY);
}

// Applies one option with its value; false when the value does not fit the option.
bool ApplyOption(const std::string& name, const char* value, Options* o) {
  double number = 0;
  if (name == "--out") return o->out = value, true;
  if (name == "--name") return o->request.tileName = value, true;
  if (name == "--centre") return ParseCentre(value, &o->request);
  if (!ParseNumber(value, &number) || number < 0) return false;
  if (name == "--points") return StoreWhole(number, &o->request.pointCount);
  if (name == "--seed") return StoreWhole(number, &o->request.seed);
  if (name == "--epsg") return StoreWhole(number, &o->request.epsg);
  if (name == "--side") return o->request.side = number, number > 0;
  return false;
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--kmq1") == 0) {
      o->kmq1 = true;
      continue;
    }
    if (i + 1 >= argc || !ApplyOption(argv[i], argv[i + 1], o)) {
      std::fprintf(stderr, "samplegen: bad or incomplete option %s\n", argv[i]);
      return false;
    }
    ++i;
  }
  return !o->out.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  if (!WriteSampleCloud(o.request, o.out, o.kmq1, &error)) {
    std::fprintf(stderr, "samplegen: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %u points, %s, EPSG:%u, centre (%.2f, %.2f), side %.0f ft, name \"%s\", seed %llu\n",
              o.out.c_str(), o.request.pointCount, o.kmq1 ? "KMQ1" : "KMQ2", o.request.epsg, o.request.centreX,
              o.request.centreY, o.request.side, o.request.tileName.c_str(),
              static_cast<unsigned long long>(o.request.seed));
  return 0;
}
