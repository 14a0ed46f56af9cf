#include "settings/settings_document.h"

#include <windows.h>

#include <cstring>

#include "platform/text.h"

SettingsKey SplitSettingsKey(const char* key) {
  SettingsKey k;
  const char* dot = key ? strchr(key, '.') : nullptr;
  if (!dot) {
    k.name = key ? key : "";
  } else {
    k.section = std::string_view(key, (size_t)(dot - key));
    k.name = dot + 1;
  }
  return k;
}

namespace {

// UTF-16 code units from bytes in either order; false for an odd count.
bool ToUnits(const std::string& bytes, size_t from, bool big_endian, std::wstring* units) {
  if ((bytes.size() - from) % 2 != 0) return false;
  units->clear();
  for (size_t i = from; i + 1 < bytes.size(); i += 2) {
    const unsigned lo = (unsigned char)bytes[i + (big_endian ? 1 : 0)];
    const unsigned hi = (unsigned char)bytes[i + (big_endian ? 0 : 1)];
    units->push_back((wchar_t)(hi << 8 | lo));
  }
  return true;
}

// Text without NUL characters and with whole surrogate pairs converts; anything else is
// not UTF-16 text.
bool UnitsToUtf8(const std::wstring& units, std::string* text) {
  if (units.find(L'\0') != std::wstring::npos) return false;
  text->clear();
  if (units.empty()) return true;
  const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units.data(), (int)units.size(), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return false;
  text->resize((size_t)n);
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units.data(), (int)units.size(), &(*text)[0], n, nullptr,
                      nullptr);
  return true;
}

// Without a byte order mark, UTF-16 shows itself by its NUL high bytes: settings.ini is
// mostly ASCII, so at least half of its code units must be below 0x100. A stray NUL in
// 8-bit text gives far fewer.
bool MostlyAscii(const std::wstring& units) {
  size_t low = 0;
  for (wchar_t u : units) low += u < 0x100;
  return !units.empty() && low * 2 >= units.size();
}

}  // namespace

SettingsBytes DecodeSettingsBytes(const std::string& bytes, std::string* text) {
  const bool le_mark = bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE;
  const bool be_mark = bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFE && (unsigned char)bytes[1] == 0xFF;
  std::wstring units;
  if (le_mark || be_mark) {
    if (ToUnits(bytes, 2, be_mark, &units) && UnitsToUtf8(units, text)) return SettingsBytes::kUtf16;
    return SettingsBytes::kUnreadable;
  }
  if (bytes.find('\0') == std::string::npos) {
    *text = bytes;
    return SettingsBytes::kText;
  }
  for (bool big_endian : {false, true})
    if (ToUnits(bytes, 0, big_endian, &units) && MostlyAscii(units) && UnitsToUtf8(units, text))
      return SettingsBytes::kUtf16;
  text->clear();
  return SettingsBytes::kUnreadable;
}

static void AddLine(SettingsDocument* doc, std::string raw, std::string* section, bool first) {
  if (first && raw.size() >= 3 && (unsigned char)raw[0] == 0xEF && (unsigned char)raw[1] == 0xBB &&
      (unsigned char)raw[2] == 0xBF)
    raw.erase(0, 3);
  while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n')) raw.pop_back();

  SettingsLine line;
  line.raw = raw;
  std::string t = text::Trim(raw);
  if (t.empty() || t[0] == '#' || t[0] == ';') {
    line.section = *section;
  } else if (t.front() == '[' && t.back() == ']' && t.size() >= 2) {
    *section = text::Trim(t.substr(1, t.size() - 2));
    line.section = *section;
    line.header = true;
  } else if (t.find('=') != std::string::npos) {
    size_t eq = t.find('=');
    line.section = *section;
    line.name = text::Trim(t.substr(0, eq));
    line.value = text::Trim(t.substr(eq + 1));
  } else {
    line.section = *section;
  }
  doc->lines.push_back(line);
}

void ParseSettingsText(SettingsDocument* doc, const std::string& bytes) {
  doc->lines.clear();
  std::string section;
  size_t pos = 0;
  bool first = true;
  while (pos < bytes.size()) {
    size_t nl = bytes.find('\n', pos);
    size_t end = (nl == std::string::npos) ? bytes.size() : nl + 1;
    // A line of any length is one line: cut in pieces, the tail of a long comment could
    // read as a live key and the next save would write it as one.
    std::string line = bytes.substr(pos, end - pos);
    pos = end;
    // What follows a NUL byte isn't text (a file the store never saves over): the line ends there.
    size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    AddLine(doc, line, &section, first);
    first = false;
  }
}

int FindSettingsLine(const SettingsDocument& doc, const SettingsKey& key) {
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    const SettingsLine& l = doc.lines[i];
    if (l.header || l.name.empty()) continue;
    if (l.section == key.section && text::EqualsNoCase(l.name, key.name)) return (int)i;
  }
  return -1;
}

static bool IsBlank(const SettingsLine& l) { return l.name.empty() && !l.header && text::Trim(l.raw).empty(); }

void InsertSettingsLine(SettingsDocument* doc, const SettingsKey& key, const std::string& value) {
  SettingsLine line;
  line.section = std::string(key.section);
  line.name = std::string(key.name);
  line.value = value;

  bool inside = false;
  size_t at = 0;
  for (size_t i = 0; i < doc->lines.size(); ++i) {
    const SettingsLine& l = doc->lines[i];
    if (!inside) {
      if (!(l.header && l.section == key.section)) continue;
      inside = true;
    } else if (l.section != key.section) {
      break;
    }
    // A blank line keeps its place below the new line, so sections stay separated.
    at = IsBlank(l) ? i : i + 1;
  }
  if (inside) {
    doc->lines.insert(doc->lines.begin() + (std::ptrdiff_t)at, line);
    return;
  }

  if (!doc->lines.empty() && !text::Trim(doc->lines.back().raw).empty()) {
    SettingsLine blank;
    blank.section = doc->lines.back().section;
    doc->lines.push_back(blank);
  }
  SettingsLine header;
  header.section = std::string(key.section);
  header.header = true;
  doc->lines.push_back(header);
  doc->lines.push_back(line);
}

bool RemoveSettingsLine(SettingsDocument* doc, const SettingsKey& key) {
  int i = FindSettingsLine(*doc, key);
  if (i < 0) return false;
  doc->lines.erase(doc->lines.begin() + i);
  return true;
}

std::string RenderSettingsText(const SettingsDocument& doc) {
  std::string out;
  for (const SettingsLine& l : doc.lines) {
    if (l.header)
      out += "[" + l.section + "]\n";
    else if (l.name.empty())
      out += l.raw + "\n";
    else
      out += l.name + " = " + l.value + "\n";
  }
  return out;
}
