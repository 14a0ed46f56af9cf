// The in-memory settings.ini: one record per line, in file order, so comments, blank
// lines, unknown keys and the order of lines survive every save. No I/O and no locking
// here; SettingsStore owns both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SettingsLine {
  std::string section;  // current section when the line was read or created
  std::string name;     // empty for lines that are not key lines
  std::string value;
  std::string raw;      // as read, without its line ending; empty for created lines
  bool header = false;
};

struct SettingsDocument {
  std::vector<SettingsLine> lines;
};

// A key split at its first dot; a key without a dot has the empty section. Views into
// the key text, so lookups allocate nothing.
struct SettingsKey {
  std::string_view section;
  std::string_view name;
};
SettingsKey SplitSettingsKey(const char* key);

// What a settings file's bytes are, as far as the store can tell.
enum class SettingsBytes {
  kText,        // 8-bit text, used as it is (UTF-8, or a hand-edited Latin-1 letter)
  kUtf16,       // UTF-16, as some text editors save; converted to UTF-8
  kUnreadable,  // holds NUL bytes and isn't UTF-16: the store must never save over it
};
// Classifies a file's bytes and gives the text the store parses: UTF-16 with either byte
// order mark, or without one when its NUL bytes are the high bytes of mostly ASCII text,
// converted to UTF-8; other bytes as they are.
SettingsBytes DecodeSettingsBytes(const std::string& bytes, std::string* text);

// Replaces the document with the lines of a file's bytes, each line whole whatever its
// length.
void ParseSettingsText(SettingsDocument* doc, const std::string& bytes);

// Index of the key's first line (exact section, name ignoring case), or -1.
int FindSettingsLine(const SettingsDocument& doc, const SettingsKey& key);

// Inserts a new key line after the section's last non-blank record, or appends the
// section at the end (after a blank line when the last line read from the file isn't blank).
void InsertSettingsLine(SettingsDocument* doc, const SettingsKey& key, const std::string& value);

// Removes the key's first line; true when one was removed.
bool RemoveSettingsLine(SettingsDocument* doc, const SettingsKey& key);

// The text a save writes: headers and key lines in normal form, other lines as read.
std::string RenderSettingsText(const SettingsDocument& doc);
