#include "regfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hostconfig.h"
#include "textcase.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace pelvarhost::reg {

const wchar_t kCurrentUserRoot[] = L"HKEY_CURRENT_USER";

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kOldHeader[] = "REGEDIT4";
constexpr uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;

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
    std::string digits = Trim(text.substr(6));
    if (digits.empty() || digits.size() > 8) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(digits.c_str(), &end, 16);
    if (*end != '\0') return false;
    auto d = static_cast<uint32_t>(v);
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

bool ParseValueLine(const std::string& line, Value* value) {
  size_t pos = 0;
  std::string name;
  if (line[0] == '@') {
    pos = 1;
  } else if (!ReadQuoted(line, &pos, &name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  value->name = Utf8ToWide(name);
  return ParseData(Trim(std::string_view(line).substr(pos + 1)), value);
}

// Joins lines continued with a trailing backslash, as the registry editor wraps long hex lists.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line, pending;
  std::stringstream ss{std::string(text)};
  while (std::getline(ss, line)) {
    std::string t = Trim(line);
    if (!pending.empty()) t = pending + t;
    if (!t.empty() && t.back() == '\\' && t.find("hex") != std::string::npos) {
      t.pop_back();
      pending = t;
      continue;
    }
    pending.clear();
    lines.push_back(t);
  }
  if (!pending.empty()) lines.push_back(pending);
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

// A key path names every key from the hive root down: none of its parts may be empty (a
// leading, trailing or doubled backslash), or the file written back could not be read.
bool IsKeyPath(std::wstring_view path) {
  return !path.empty() && path.front() != L'\\' && path.back() != L'\\' &&
         path.find(L"\\\\") == std::wstring_view::npos;
}

}  // namespace

Hive ParseHive(std::string_view text) {
  Hive hive;
  Key* current = nullptr;
  bool sawHeader = false;
  int lineNo = 0;
  for (const std::string& line : LogicalLines(text)) {
    ++lineNo;
    if (line.empty() || line[0] == ';') continue;
    if (!sawHeader) {
      if (line != kHeader && line != kOldHeader) {
        hive.damage = "not a registry export file (first line \"" + line + "\")";
        return hive;
      }
      sawHeader = true;
      continue;
    }
    if (line.front() == '[' && line.back() == ']' && line.size() > 2 && line[1] != '-') {
      const std::wstring path = Utf8ToWide(line.substr(1, line.size() - 2));
      if (IsKeyPath(path)) {
        current = &EnsureKey(hive, path, nullptr);
        continue;
      }
      current = nullptr;  // the values below belong to no key this reader can keep
    }
    Value value;
    if (current == nullptr || !ParseValueLine(line, &value)) {
      if (hive.damage.empty()) hive.damage = "line " + std::to_string(lineNo) + " not understood: " + line;
      continue;
    }
    if (Value* old = FindValue(*current, value.name)) {
      *old = value;
    } else {
      current->values.push_back(value);
    }
  }
  return hive;
}

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
  std::ifstream in(HiveFilePath(), std::ios::binary);
  if (!in) return {};
  std::stringstream ss;
  ss << in.rdbuf();
  return ParseHive(ToUtf8Text(ss.str()));
}

bool SaveHive(const Hive& hive) {
  if (!hive.damage.empty()) return false;
  std::string path = HiveFilePath();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string temp = path + ".tmp." + std::to_string(getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return false;
  std::string text = FormatHive(hive);
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bool ok = done == text.size() && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

Key* FindKey(Hive& hive, std::wstring_view path) {
  for (Key& key : hive.keys)
    if (SameTextIgnoringCase(key.path, path)) return &key;
  return nullptr;
}

Key& EnsureKey(Hive& hive, std::wstring_view path, bool* created) {
  if (created) *created = false;
  if (Key* key = FindKey(hive, path)) return *key;
  size_t cut = path.rfind(L'\\');
  if (cut != std::wstring_view::npos) EnsureKey(hive, path.substr(0, cut), nullptr);
  if (created) *created = true;
  hive.keys.push_back(Key{std::wstring(path), {}});
  return hive.keys.back();
}

Value* FindValue(Key& key, std::wstring_view name) {
  for (Value& value : key.values)
    if (SameTextIgnoringCase(value.name, name)) return &value;
  return nullptr;
}

}  // namespace pelvarhost::reg
