#include "regfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>

#include "hostconfig.h"
#include "hostfiles.h"
#include "textcase.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace pelvarhost::reg {

const wchar_t kCurrentUserRoot[] = L"HKEY_CURRENT_USER";

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kOldHeader[] = "REGEDIT4";
constexpr uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;

// Says a text on standard error the first time this process meets it.
void ReportOnce(const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard lock(mutex);
  if (said.insert(text).second) std::fprintf(stderr, "%s\n", text.c_str());
}

bool IsStringType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// --- string data: native wchar_t units <-> the UTF-16LE bytes the export format carries.

std::vector<uint8_t> NativeToUtf16Le(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  size_t units = data.size() / sizeof(wchar_t);
  auto put = [&out](uint32_t u) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  };
  for (size_t i = 0; i < units; ++i) {
    wchar_t wc;
    std::memcpy(&wc, data.data() + i * sizeof(wchar_t), sizeof(wchar_t));
    auto c = static_cast<uint32_t>(wc);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      put(0xD800 + (c >> 10));
      put(0xDC00 + (c & 0x3FF));
    } else {
      put(c > 0xFFFF ? 0xFFFD : c);
    }
  }
  return out;
}

std::vector<uint8_t> Utf16LeToNative(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t c) {
    auto wc = static_cast<wchar_t>(c);
    auto* p = reinterpret_cast<const uint8_t*>(&wc);
    out.insert(out.end(), p, p + sizeof(wchar_t));
  };
  size_t n = bytes.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    uint32_t u = bytes[2 * i] | (bytes[2 * i + 1] << 8);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
      uint32_t lo = bytes[2 * i + 2] | (bytes[2 * i + 3] << 8);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        put(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        ++i;
        continue;
      }
    }
    put(u);
  }
  return out;
}

// The text of a REG_SZ value when it can be written as "text": whole units, one
// terminating NUL, none inside, and no line break (a quoted text cannot span lines).
bool PlainStringText(const Value& value, std::wstring* text) {
  if (value.type != kRegSz || value.data.size() % sizeof(wchar_t) != 0 || value.data.empty()) return false;
  std::wstring units(value.data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(units.data(), value.data.data(), value.data.size());
  if (units.back() != L'\0') return false;
  units.pop_back();
  if (units.find_first_of(std::wstring_view(L"\0\r\n", 3)) != std::wstring::npos) return false;
  *text = units;
  return true;
}

std::string Quote(std::wstring_view text) {
  std::string out = "\"";
  for (char c : WideToUtf8(text)) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
    if (i) out.push_back(',');
    out += buf;
  }
  return out;
}

std::string FormatData(const Value& value) {
  std::wstring text;
  if (PlainStringText(value, &text)) return Quote(text);
  if (value.type == kRegDword && value.data.size() == 4) {
    uint32_t d;
    std::memcpy(&d, value.data.data(), 4);
    char buf[16];
    std::snprintf(buf, sizeof buf, "dword:%08x", d);
    return buf;
  }
  std::vector<uint8_t> bytes = IsStringType(value.type) ? NativeToUtf16Le(value.data) : value.data;
  if (value.type == kRegBinary) return "hex:" + HexBytes(bytes);
  char tag[16];
  std::snprintf(tag, sizeof tag, "hex(%x):", value.type);
  return tag + HexBytes(bytes);
}

// --- parsing

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

// Reads a quoted string with \\ and \" escapes starting at text[*pos] == '"'.
bool ReadQuoted(const std::string& text, size_t* pos, std::string* out) {
  if (*pos >= text.size() || text[*pos] != '"') return false;
  out->clear();
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      out->push_back(text[++i]);
    } else if (c == '"') {
      *pos = i + 1;
      return true;
    } else {
      out->push_back(c);
    }
  }
  return false;
}

bool ParseHexList(std::string_view list, std::vector<uint8_t>* out) {
  out->clear();
  std::string item;
  std::stringstream ss{std::string(list)};
  while (std::getline(ss, item, ',')) {
    item = Trim(item);
    if (item.empty()) continue;
    char* end = nullptr;
    unsigned long v = std::strtoul(item.c_str(), &end, 16);
    if (*end != '\0' || v > 0xFF || item.size() > 2) return false;
    out->push_back(static_cast<uint8_t>(v));
  }
  return true;
}

bool ParseData(const std::string& text, Value* value) {
  if (!text.empty() && text[0] == '"') {
    size_t pos = 0;
    std::string s;
    if (!ReadQuoted(text, &pos, &s) || !Trim(text.substr(pos)).empty()) return false;
    std::wstring w = Utf8ToWide(s);
    w.push_back(L'\0');
    value->type = kRegSz;
    auto* p = reinterpret_cast<const uint8_t*>(w.data());
    value->data.assign(p, p + w.size() * sizeof(wchar_t));
    return true;
  }
  if (text.rfind("dword:", 0) == 0) {
    // The editor reads any count of hex digits whose value fits in 32 bits (leading zeros too).
    std::string digits = Trim(text.substr(6));
    const size_t significant = digits.find_first_not_of('0');
    if (digits.empty() || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
        (significant != std::string::npos && digits.size() - significant > 8))
      return false;
    auto d = static_cast<uint32_t>(significant == std::string::npos ? 0 : std::stoul(digits.substr(significant), nullptr, 16));
    value->type = kRegDword;
    value->data.resize(4);
    std::memcpy(value->data.data(), &d, 4);
    return true;
  }
  if (text.rfind("hex", 0) != 0) return false;
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  std::string tag = text.substr(3, colon - 3);
  uint32_t type = kRegBinary;
  if (!tag.empty()) {
    if (tag.size() < 3 || tag.front() != '(' || tag.back() != ')') return false;
    std::string digits = tag.substr(1, tag.size() - 2);
    char* end = nullptr;
    type = static_cast<uint32_t>(std::strtoul(digits.c_str(), &end, 16));
    if (*end != '\0' || digits.empty()) return false;
  }
  std::vector<uint8_t> bytes;
  if (!ParseHexList(std::string_view(text).substr(colon + 1), &bytes)) return false;
  value->type = type;
  value->data = IsStringType(type) ? Utf16LeToNative(bytes) : bytes;
  return true;
}

// A value line: `"Name"=data` or `@=data`; `=-` as the data deletes the value.
enum class ValueLine { kSet, kDelete, kBad };

ValueLine ParseValueLine(const std::string& line, Value* value) {
  size_t pos = 0;
  std::string name;
  if (line[0] == '@') {
    pos = 1;
  } else if (!ReadQuoted(line, &pos, &name)) {
    return ValueLine::kBad;
  }
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  if (pos >= line.size() || line[pos] != '=') return ValueLine::kBad;
  value->name = Utf8ToWide(name);
  const std::string data = Trim(std::string_view(line).substr(pos + 1));
  if (data == "-") return ValueLine::kDelete;
  return ParseData(data, value) ? ValueLine::kSet : ValueLine::kBad;
}

// The text's lines, ended by CR LF, LF or CR alone.
std::vector<std::string_view> PhysicalLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

// One entry of the file: a line, with the lines that continue it (a trailing backslash,
// as the registry editor wraps long hex lists), and the number of its first line.
struct LogicalLine {
  std::string text;
  size_t number = 0;
};

std::vector<LogicalLine> LogicalLines(std::string_view text) {
  std::vector<LogicalLine> lines;
  bool continued = false;
  size_t number = 0;
  for (std::string_view physical : PhysicalLines(text)) {
    ++number;
    std::string t = Trim(physical);
    if (continued) {
      lines.back().text += t;
    } else {
      lines.push_back({t, number});
    }
    std::string& joined = lines.back().text;
    continued = !joined.empty() && joined.back() == '\\' && joined.find("hex") != std::string::npos;
    if (continued) joined.pop_back();
  }
  return lines;
}

// The file may have been saved by the registry editor itself, in UTF-16LE with a mark.
std::string ToUtf8Text(const std::string& raw) {
  if (raw.size() >= 2 && static_cast<uint8_t>(raw[0]) == 0xFF && static_cast<uint8_t>(raw[1]) == 0xFE) {
    std::vector<uint8_t> bytes(raw.begin() + 2, raw.end());
    std::vector<uint8_t> native = Utf16LeToNative(bytes);
    std::wstring w(native.size() / sizeof(wchar_t), L'\0');
    if (!native.empty()) std::memcpy(w.data(), native.data(), native.size());  // a bare mark has no data
    return WideToUtf8(w);
  }
  if (raw.rfind("\xEF\xBB\xBF", 0) == 0) return raw.substr(3);
  return raw;
}

// Why a key path cannot be stored, or empty. Every part must be non-empty (a leading,
// trailing or doubled backslash would not read back) and within the registry's limits.
std::string KeyPathFault(std::wstring_view path) {
  size_t depth = 0, start = 0;
  for (;;) {
    const size_t end = path.find(L'\\', start);
    const size_t length = (end == std::wstring_view::npos ? path.size() : end) - start;
    if (length == 0) return "not understood";
    if (length > kMaxKeyNameLength) return "refused: a key name longer than " + std::to_string(kMaxKeyNameLength) + " characters";
    if (end == std::wstring_view::npos) break;
    if (++depth > kMaxKeyDepth) return "refused: a key deeper than " + std::to_string(kMaxKeyDepth) + " levels";
    start = end + 1;
  }
  return {};
}

void RebuildIndex(Hive& hive) {
  hive.index.clear();
  for (size_t i = 0; i < hive.keys.size(); ++i) hive.index.emplace(FoldedText(hive.keys[i].path), i);
}

// Reads the entries of a file into the hive, noting the first line refused as its damage;
// false when the file is no export file at all.
class HiveParser {
 public:
  explicit HiveParser(Hive& hive) : hive_(hive) {}

  bool Entry(const LogicalLine& line) {
    if (line.text.empty() || line.text[0] == ';') return true;
    if (!sawHeader_) {
      if (line.text != kHeader && line.text != kOldHeader) {
        hive_.damage = "not a registry export file (first line \"" + line.text + "\")";
        return false;
      }
      sawHeader_ = true;
      return true;
    }
    if (line.text.front() == '[' && line.text.back() == ']' && line.text.size() > 2) return KeyLine(line);
    if (skipping_) return true;  // values of a deleted key are ignored, as the editor does
    Value value;
    const ValueLine kind = current_ == SIZE_MAX ? ValueLine::kBad : ParseValueLine(line.text, &value);
    if (kind == ValueLine::kBad) return Refuse(line, "not understood: " + line.text);
    if (value.name.size() > kMaxValueNameLength)
      return Refuse(line, "refused: a value name longer than " + std::to_string(kMaxValueNameLength) + " characters");
    Key& key = hive_.keys[current_];
    if (kind == ValueLine::kDelete) {
      std::erase_if(key.values, [&](const Value& v) { return SameTextIgnoringCase(v.name, value.name); });
    } else if (Value* old = FindValue(key, value.name)) {
      *old = std::move(value);
    } else {
      key.values.push_back(std::move(value));
    }
    return true;
  }

 private:
  bool KeyLine(const LogicalLine& line) {
    const bool deletion = line.text[1] == '-';
    const std::wstring path = Utf8ToWide(line.text.substr(deletion ? 2 : 1, line.text.size() - (deletion ? 3 : 2)));
    const std::string fault = KeyPathFault(path);
    if (!fault.empty()) {
      current_ = SIZE_MAX;
      return Refuse(line, fault == "not understood" ? fault + ": " + line.text : fault);
    }
    skipping_ = deletion;
    if (deletion) {
      RemoveKeyTree(hive_, path);
      current_ = SIZE_MAX;
    } else {
      EnsureKey(hive_, path, nullptr);
      current_ = hive_.index.at(FoldedText(path));
    }
    return true;
  }

  // Keeps the first line refused; the lines after it are still read.
  bool Refuse(const LogicalLine& line, const std::string& why) {
    if (hive_.damage.empty()) hive_.damage = "line " + std::to_string(line.number) + " " + why;
    return true;
  }

  Hive& hive_;
  bool sawHeader_ = false;
  bool skipping_ = false;
  size_t current_ = SIZE_MAX;
};

}  // namespace

bool IsStorableKeyPath(std::wstring_view path) { return KeyPathFault(path).empty(); }

Hive ParseHive(std::string_view text) {
  Hive hive;
  HiveParser parser(hive);
  for (const LogicalLine& line : LogicalLines(text))
    if (!parser.Entry(line)) break;
  return hive;
}

Hive ParseHiveFile(const std::string& bytes) { return ParseHive(ToUtf8Text(bytes)); }

std::string FormatHive(const Hive& hive) {
  std::string out = std::string(kHeader) + "\r\n";
  for (const Key& key : hive.keys) {
    out += "\r\n[";
    out += WideToUtf8(key.path);
    out += "]\r\n";
    for (const Value& value : key.values) {
      out += value.name.empty() ? std::string("@") : Quote(value.name);
      out += '=';
      out += FormatData(value);
      out += "\r\n";
    }
  }
  return out;
}

std::string HiveFilePath() { return HostConfigFolder() + "/registry.reg"; }

Hive LoadHive() {
  const std::string path = HiveFilePath();
  std::string bytes, why;
  bool missing = false;
  Hive hive;
  if (ReadRegularFile(path, kMaxHiveFileBytes, bytes, why, &missing)) {
    hive = ParseHiveFile(bytes);
  } else if (!missing) {
    hive.damage = why;
  }
  if (!hive.damage.empty()) ReportOnce("Registry file " + path + ": " + hive.damage);
  return hive;
}

bool SaveHive(const Hive& hive) {
  if (!hive.damage.empty()) return false;
  const std::string path = HiveFilePath();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const std::string text = FormatHive(hive);
  std::string why;
  constexpr int kPrivate = 0600;  // the user's own settings
  return WriteWholeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), true, why,
                        kPrivate) == WriteOutcome::kDone;
}

HiveLock::HiveLock() {
  const std::string path = HiveFilePath() + ".lock";
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

HiveLock::~HiveLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

Key* FindKey(Hive& hive, std::wstring_view path) {
  auto found = hive.index.find(FoldedText(path));
  return found == hive.index.end() ? nullptr : &hive.keys[found->second];
}

Key& EnsureKey(Hive& hive, std::wstring_view path, bool* created) {
  if (created) *created = false;
  if (Key* key = FindKey(hive, path)) return *key;
  // The missing parents are made from the top down, each part of the path in turn.
  for (size_t end = path.find(L'\\'); end != std::wstring_view::npos; end = path.find(L'\\', end + 1)) {
    const std::wstring_view parent = path.substr(0, end);
    if (FindKey(hive, parent) == nullptr) {
      hive.index.emplace(FoldedText(parent), hive.keys.size());
      hive.keys.push_back(Key{std::wstring(parent), {}});
    }
  }
  if (created) *created = true;
  hive.index.emplace(FoldedText(path), hive.keys.size());
  hive.keys.push_back(Key{std::wstring(path), {}});
  return hive.keys.back();
}

void RemoveKeyTree(Hive& hive, std::wstring_view path) {
  const std::wstring folded = FoldedText(path);
  const size_t before = hive.keys.size();
  std::erase_if(hive.keys, [&](const Key& key) {
    const std::wstring name = FoldedText(key.path);
    return name.starts_with(folded) && (name.size() == folded.size() || name[folded.size()] == L'\\');
  });
  if (hive.keys.size() != before) RebuildIndex(hive);
}

Value* FindValue(Key& key, std::wstring_view name) {
  for (Value& value : key.values)
    if (SameTextIgnoringCase(value.name, name)) return &value;
  return nullptr;
}

}  // namespace pelvarhost::reg
