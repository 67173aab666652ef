// The registry file parser over arbitrary bytes (byte order marks and UTF-16 included),
// with its nesting and name limits. A hive that reads without damage is written and read
// again: the text written then must read back to the same keys and values, and no key may
// lie deeper than the limit or have a longer name.
#include <cstdint>
#include <string>

#include "fuzz/support/ScratchFile.h"
#include "regfile.h"

using pelvarfuzz::Require;
namespace reg = pelvarhost::reg;

namespace {

bool SameHive(const reg::Hive& a, const reg::Hive& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (size_t k = 0; k < a.keys.size(); ++k) {
    const reg::Key& x = a.keys[k];
    const reg::Key& y = b.keys[k];
    if (x.path != y.path || x.values.size() != y.values.size()) return false;
    for (size_t v = 0; v < x.values.size(); ++v) {
      const reg::Value& p = x.values[v];
      const reg::Value& q = y.values[v];
      if (p.name != q.name || p.type != q.type || p.data != q.data) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const reg::Hive hive = reg::ParseHiveFile(std::string(reinterpret_cast<const char*>(data), size));
  if (!hive.damage.empty()) return 0;
  for (const reg::Key& key : hive.keys) Require(reg::IsStorableKeyPath(key.path), "every key kept is within the limits");
  const std::string text = reg::FormatHive(hive);
  const reg::Hive reread = reg::ParseHive(text);
  Require(reread.damage.empty(), "a written hive reads without damage");
  Require(SameHive(hive, reread), "a written hive reads back to the same keys and values");
  return 0;
}
