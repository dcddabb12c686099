// Settings files: root.ini and one ini file beside every note, read and
// written through the private-profile functions, with the program's value
// encodings (decimal integers, "%06X" colours, hexadecimal item id lists).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/Handles.h"

namespace memo {

constexpr char kSectionInfo[] = "Info";
constexpr char kSectionWindow[] = "Window";
constexpr char kKeyCurrentPage[] = "CurrentPage";
constexpr char kKeySplash[] = "Splash";
constexpr char kKeyMinAnim[] = "MinAnim";
constexpr char kKeyAutoRun[] = "AutoRun";
constexpr char kKeyHotkeyNew[] = "HotkeyNew";        // a hotkey control's value; 0 for none
constexpr char kKeyHotkeySearch[] = "HotkeySearch";
constexpr char kKeyHotkeyFront[] = "HotkeyFront";
constexpr char kKeyStyle[] = "Style";
constexpr char kKeyX[] = "X";
constexpr char kKeyY[] = "Y";
constexpr char kKeyCX[] = "CX";
constexpr char kKeyCY[] = "CY";
constexpr char kKeyColorBG[] = "ColorBG";
constexpr char kKeyColorText[] = "ColorText";
constexpr char kKeyAlpha[] = "Alpha";
constexpr char kKeyText[] = "Text";
constexpr char kKeyIdl[] = "IDL";
constexpr char kMiniFormat[] = "Mini%d";

// An empty section (or file) makes reads return the default untouched and
// writes fail.
int IniReadInt(const std::string& file, const char* section, const char* key, int def);
bool IniWriteInt(const std::string& file, const char* section, const char* key, int value);
std::string IniReadString(const std::string& file, const char* section, const char* key,
                          const char* def, size_t bufferSize);
// value == nullptr deletes the key; key == nullptr deletes the section.
bool IniWriteString(const std::string& file, const char* section, const char* key,
                    const char* value);
// A value of any length: the buffer starts at initialSize bytes and doubles
// while the value fills it. "" when missing.
std::string IniReadLongString(const std::string& file, const char* section, const char* key,
                              size_t initialSize = 1024);
// Makes the system write its cached copy of the file.
void IniFlush(const std::string& file);
// Counts the program's own writes to settings files, so that a value kept
// from an earlier read can tell that it may be stale.
unsigned IniWriteCount();

COLORREF IniReadColor(const std::string& file, const char* section, const char* key,
                      COLORREF def);
bool IniWriteColor(const std::string& file, const char* section, const char* key,
                   COLORREF value);

// Writes the list as hex pairs ended by "."; no list deletes the key. Flushes.
bool IniWriteIdl(const std::string& file, const char* section, const char* key,
                 PCIDLIST_ABSOLUTE idl);
// A checked copy of the stored list (COM task memory) with its two-byte
// terminator, or empty when the key is missing, empty or malformed: every
// size field must be at least 2 and the items must fill the bytes exactly.
CoTaskMem<ITEMIDLIST> IniReadIdl(const std::string& file, const char* section, const char* key);

// The section's key=value lines, each ended by NUL, as returned by the
// system (so the string can be written back as a whole section).
std::string IniReadSection(const std::string& file, const char* section);
bool IniWriteSection(const std::string& file, const char* section, const std::string& lines);
// All section names; the buffer starts at 1024 bytes and grows until the
// list fits, so that no section is missed.
std::vector<std::string> IniSectionNames(const std::string& file);

// New section names for the mini notes of one settings file, handed out one
// after another: the names made by format ("Mini%d") with n = 1, 2, ... that
// are neither a section of the file (compared without case, as the profile
// functions do) nor one of the taken names (the titles of the open mini note
// windows) nor handed out before. The file is read once and each name costs
// one lookup, so a drop of many files names its mini notes in linear time.
class MiniSectionNamer {
 public:
  MiniSectionNamer(const std::string& file, const char* format, const std::vector<std::string>& taken);
  // The next free name, "" when the format makes none.
  std::string Next();

 private:
  const char* format_;
  std::unordered_set<std::string> used_;  // folded to lower case
  int next_ = 1;
};

// The text of a mini note's section, as the mini note stores it (its bytes
// in hexadecimal), up to a NUL; "" when there is none.
std::string ReadMiniText(const std::string& file, const std::string& section);

// The first name a MiniSectionNamer would hand out.
std::string UniqueMiniSection(const std::string& file, const char* format,
                              const std::vector<std::string>& taken);

// One section read at once, answering integers and colours by the same rules
// as the single reads above. A single read opens and checks the file again
// each time; a note reads a handful of values as it opens, and a page may
// open a hundred notes.
class IniSectionValues {
 public:
  IniSectionValues(const std::string& file, const char* section);
  // As IniReadInt and IniReadColor: a missing or empty value gives def.
  int Int(const char* key, int def) const;
  COLORREF Color(const char* key, COLORREF def) const;
  // Whether the key is there with a value that is not empty.
  bool Has(const char* key) const;
  bool Empty() const { return values_.empty(); }

 private:
  const std::string* Find(const char* key) const;
  std::vector<std::pair<std::string, std::string>> values_;
};

// Changes to one settings file written together: each is staged, and Commit
// makes them all on one copy of the file that then takes its place (one read,
// copy, flush and rename for the lot, where each single write above costs
// one of each). Nothing staged writes nothing.
//   IniBatch batch(file);
//   batch.SetInt("Window", "X", 10);
//   batch.SetString("Mini1", "Text", nullptr);  // deletes the key
//   batch.Commit();
class IniBatch {
 public:
  explicit IniBatch(std::string file) : file_(std::move(file)) {}
  void SetInt(const char* section, const char* key, int value);
  // value == nullptr deletes the key.
  void SetString(const char* section, const char* key, const char* value);
  bool Empty() const { return changes_.empty(); }
  // True when the file holds every staged change (or none was staged).
  bool Commit();

 private:
  struct Change {
    std::string section, key, value;
    bool erase;
  };
  std::string file_;
  std::vector<Change> changes_;
};

// Integer values of a section as a window loaded them, for its save: a key
// is written only when its value differs from the one loaded (or it was
// missing), so that a key changed in the file by another program while the
// window was open (a sync tool, an editor) is not put back to a stale
// value. A written value becomes the loaded one.
class IniIntBaseline {
 public:
  void Remember(const IniSectionValues& values, const char* key);
  // Takes value as the one loaded for key: a window placed elsewhere than
  // its file says (a rectangle brought onto the screen) writes only when it
  // changes from there.
  void Set(const char* key, int value);
  // True when the file holds the value, or was left alone because the
  // window did not change it.
  bool Write(const std::string& file, const char* section, const char* key, int value);
  // Write for several keys at once, in one pass over the file; nothing is
  // written when none of them changed.
  bool Write(const std::string& file, const char* section,
             const std::vector<std::pair<const char*, int>>& values);

 private:
  std::vector<std::pair<std::string, int>> loaded_;  // keys that were present
};

// The value part of a section line as a single read returns it: a pair of
// surrounding quotes removed.
std::string ProfileValueOfLine(const std::string& value);
// An integer as the system reads one: leading blanks, a sign, an optional
// "0x", "0o" or "0b" base prefix, digits up to the first other character,
// wrapping at 32 bits; no digits give 0.
int ParseProfileInt(const std::string& text);

// Codecs, over plain values.
std::string HexEncode(const unsigned char* bytes, size_t count);  // "%02X" pairs + "."
// Pairs up to a "." at a pair start or the end; an odd trailing digit is
// ignored. '0'-'9', 'a'-'f', anything else as an upper-case letter - 55.
std::vector<unsigned char> HexDecode(const std::string& text);
// strtol base 16 on at most six characters; false when the text is empty.
bool ParseColorText(const std::string& text, COLORREF* value);
// Size of an item id list in bytes without its terminator, walking the
// size fields; returns false when a size field runs past the end.
bool CheckIdlBytes(const std::vector<unsigned char>& bytes, size_t* listSize);
// Size of an item id list in memory, without its terminator.
size_t IdlSize(PCUIDLIST_RELATIVE idl);

}  // namespace memo
