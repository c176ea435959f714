#include "platform/linux/reg_file.h"

#include <cstdio>

#include "platform/little_endian.h"

namespace corvane {
namespace {

// A stray carriage return (one not ending a line) counts as a blank too.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits and nothing else.
std::optional<std::uint32_t> ParseHex32(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  std::uint32_t v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return v;
}

const RegValue kUnreadable{kRegUnreadable, {}};

// `"text"` with \\ and \" as the only escapes; the zero byte that ends the text is added.
std::optional<std::vector<std::uint8_t>> ParseQuoted(std::string_view s, std::size_t* used) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::vector<std::uint8_t> out;
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      *used = i + 1;
      return out;
    }
    if (c == '\\') {
      if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
      c = s[++i];
    }
    out.push_back(static_cast<std::uint8_t>(c));
  }
  return std::nullopt;
}

// `hex:` or `hex(N):` then comma-separated bytes; one trailing comma is allowed.
RegValue ParseHexData(std::string_view s) {
  RegValue v;
  s.remove_prefix(3);  // "hex"
  if (!s.empty() && s.front() == ':') {
    v.type = kRegBinary;
    s.remove_prefix(1);
  } else {
    const std::size_t close = s.find(')');
    if (s.empty() || s.front() != '(' || close == std::string_view::npos ||
        close + 1 >= s.size() || s[close + 1] != ':') {
      return kUnreadable;
    }
    const auto type = ParseHex32(s.substr(1, close - 1));
    if (!type || *type == kRegUnreadable) return kUnreadable;
    v.type = *type;
    s.remove_prefix(close + 2);
  }
  s = TrimRight(TrimLeft(s));
  while (!s.empty()) {
    const std::size_t comma = s.find(',');
    const std::string_view token = TrimRight(TrimLeft(s.substr(0, comma)));
    const auto byte = token.size() <= 2 ? ParseHex32(token) : std::nullopt;
    if (!byte) return kUnreadable;
    v.data.push_back(static_cast<std::uint8_t>(*byte));
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
    s = TrimLeft(s);
  }
  return v;
}

// The data of a one-line value: a quoted string or a dword.
RegValue ParseLineData(std::string_view s) {
  if (!s.empty() && s.front() == '"') {
    std::size_t used = 0;
    auto text = ParseQuoted(s, &used);
    if (!text || used != s.size()) return kUnreadable;
    text->push_back(0);
    return RegValue{kRegSz, std::move(*text)};
  }
  if (StartsWithIgnoreCase(s, "dword:")) {
    const auto n = ParseHex32(TrimLeft(s.substr(6)));
    if (!n) return kUnreadable;
    RegValue value{kRegDword, std::vector<std::uint8_t>(4)};
    PutLe32(value.data.data(), *n);
    return value;
  }
  return kUnreadable;
}

// The name at the start of a value line: `"name"` or `@` for the unnamed value.
std::optional<std::string> ParseName(std::string_view s, std::size_t* used) {
  if (!s.empty() && s.front() == '@') {
    *used = 1;
    return std::string();
  }
  auto bytes = ParseQuoted(s, used);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

struct Line {
  std::size_t begin;
  std::size_t contentEnd;  // before "\n" or "\r\n"
  std::size_t end;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    std::size_t contentEnd = nl == std::string_view::npos ? text.size() : nl;
    if (contentEnd > pos && text[contentEnd - 1] == '\r') --contentEnd;
    lines.push_back({pos, contentEnd, end});
    pos = end;
  }
  return lines;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
}

// Text that reads back byte for byte from the quoted form.
bool IsPlainString(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0 || data[i] == '\n' || data[i] == '\r') return false;
  }
  return true;
}

// True when the text's last line (ended by "\n") holds nothing but blanks.
bool EndsWithBlankLine(std::string_view text) {
  text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  const std::size_t nl = text.rfind('\n');
  return TrimRight(TrimLeft(nl == std::string_view::npos ? text : text.substr(nl + 1))).empty();
}

}  // namespace

RegFile RegFile::Parse(std::string_view text) {
  RegFile file;
  file.text_.assign(text);
  const std::vector<Line> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Entry e;
    e.begin = lines[i].begin;
    e.end = lines[i].end;
    const std::string_view content =
        TrimRight(TrimLeft(text.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin)));
    std::size_t nameLength = 0;
    if (!content.empty() && content.front() == '[') {
      e.kind = Kind::kHeader;
      if (content.size() >= 2 && content.back() == ']') {
        const std::string_view key = content.substr(1, content.size() - 2);
        if (IsValidKeyName(key)) e.key.emplace(key);
      }
    } else if (auto name = ParseName(content, &nameLength)) {
      std::string_view rest = TrimLeft(content.substr(nameLength));
      if (!rest.empty() && rest.front() == '=') {
        e.kind = Kind::kValue;
        e.name = std::move(*name);
        const std::string_view data = TrimLeft(rest.substr(1));
        if (data == "-") {
          // A removed value: absent.
        } else if (StartsWithIgnoreCase(data, "hex")) {
          // Byte lists may go on over lines that end in a backslash.
          std::string joined(data);
          std::string_view piece = data;
          while (!piece.empty() && piece.back() == '\\') {
            joined.pop_back();
            if (i + 1 >= lines.size()) {
              e.wantsMore = true;
              break;
            }
            ++i;
            piece = TrimRight(
                TrimLeft(text.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin)));
            joined += piece;
            e.end = lines[i].end;
          }
          e.value = ParseHexData(joined);
        } else {
          e.value = ParseLineData(data);
        }
      }
    }
    file.entries_.push_back(std::move(e));
  }
  return file;
}

std::optional<std::size_t> RegFile::FindEntry(std::string_view key, std::string_view name) const {
  std::optional<std::size_t> found;
  const std::string* section = nullptr;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.kind == Kind::kHeader) {
      section = e.key ? &*e.key : nullptr;
    } else if (e.kind == Kind::kValue && section && EqualsIgnoreCase(*section, key) &&
               EqualsIgnoreCase(e.name, name)) {
      found = i;
    }
  }
  return found;
}

bool RegFile::HasKey(std::string_view key) const {
  for (const Entry& e : entries_) {
    if (e.kind != Kind::kHeader || !e.key) continue;
    if (EqualsIgnoreCase(*e.key, key)) return true;
    if (e.key->size() > key.size() && (*e.key)[key.size()] == '\\' &&
        StartsWithIgnoreCase(*e.key, key)) {
      return true;
    }
  }
  return false;
}

std::optional<RegValue> RegFile::FindValue(std::string_view key, std::string_view name) const {
  const auto i = FindEntry(key, name);
  if (!i) return std::nullopt;
  return entries_[*i].value;
}

std::string_view RegFile::LineEnd() const {
  const std::size_t nl = text_.find('\n');
  return (nl != std::string::npos && nl > 0 && text_[nl - 1] == '\r') ? "\r\n" : "\n";
}

bool RegFile::IsValidKeyName(std::string_view key) {
  return !key.empty() && key.front() != '-' && !IsBlank(key.front()) && !IsBlank(key.back()) &&
         key.find_first_of("\r\n") == std::string_view::npos;
}

bool RegFile::IsValidValueName(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos;
}

std::string RegFile::FormatData(const RegValue& value) {
  const std::vector<std::uint8_t>& d = value.data;
  char buf[32];
  if (value.type == kRegDword && d.size() == 4) {
    const std::uint32_t n = GetLe32(d.data());
    std::snprintf(buf, sizeof buf, "dword:%08x", n);
    return buf;
  }
  std::string out;
  if (value.type == kRegSz && IsPlainString(d)) {
    out.push_back('"');
    AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(d.data()), d.size() - 1));
    out.push_back('"');
    return out;
  }
  if (value.type == kRegBinary) {
    out = "hex:";
  } else {
    std::snprintf(buf, sizeof buf, "hex(%x):", value.type);
    out = buf;
  }
  for (std::size_t i = 0; i < d.size(); ++i) {
    std::snprintf(buf, sizeof buf, i == 0 ? "%02x" : ",%02x", d[i]);
    out += buf;
  }
  return out;
}

bool RegFile::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
  if (!IsValidKeyName(key) || !IsValidValueName(name) || value.type == kRegUnreadable) return false;
  const std::string_view nl = LineEnd();
  std::string line;
  if (name.empty()) {
    line = "@";
  } else {
    line = "\"";
    AppendEscaped(line, name);
    line += "\"";
  }
  line += "=" + FormatData(value);
  line += nl;

  // Text added after an entry must not be taken as its continuation or glued to its last line.
  auto closeEntry = [&](const Entry& e) {
    std::string fix;
    if (e.end == 0 || text_[e.end - 1] != '\n') fix += nl;
    if (e.wantsMore) fix += nl;  // a blank line for it to take
    return fix;
  };

  std::string out;
  if (const auto found = FindEntry(key, name)) {
    const Entry& e = entries_[*found];
    out = text_.substr(0, e.begin) + line + text_.substr(e.end);
  } else {
    // After the last value of the key's last section, or its header.
    std::optional<std::size_t> after;
    bool inSection = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      if (e.kind == Kind::kHeader) {
        inSection = e.key && EqualsIgnoreCase(*e.key, key);
        if (inSection) after = i;
      } else if (inSection && e.kind == Kind::kValue) {
        after = i;
      }
    }
    if (after) {
      const Entry& e = entries_[*after];
      out = text_.substr(0, e.end) + closeEntry(e) + line + text_.substr(e.end);
    } else if (entries_.empty()) {
      out = "REGEDIT4" + std::string(nl) + std::string(nl) + "[" + std::string(key) + "]" +
            std::string(nl) + line;
    } else {
      const Entry& last = entries_.back();
      out = text_ + closeEntry(last);
      if (!EndsWithBlankLine(out)) out += nl;  // a blank line between sections
      out += "[" + std::string(key) + "]" + std::string(nl) + line;
    }
  }
  *this = Parse(out);
  return true;
}

}  // namespace corvane
