// UserSet.INI access with the Windows INI rules the console has always had: names compare
// without case, keys keep the order of first writing, values are stored as GBK text with CRLF
// line ends. Text crosses this interface as UTF-8.
//
// Hand-edited files are tolerated: comment lines (';' or '#'), lines without '=', blank lines,
// LF-only line ends, a UTF-8 byte order mark (such a file is decoded as UTF-8), duplicate keys
// (the first one counts), a section header repeated further down (its keys join the first block)
// and bytes that are not text, which read as '?' (as a save would write them). Comments and other
// non-key lines are kept when the file is saved again; blank lines are not, since the writer puts
// one before every section header itself.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace climate {

// A write that failed; what() is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::string& path);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

class IniFile {
 public:
  // Reads the file at path. A missing file gives an empty document whose Existed() is false. A
  // file that exists but cannot be read gives an empty document whose Existed() is true; such a
  // document refuses to be saved over the file, since that would throw its content away. Never
  // throws on content: hand-edited and damaged files are tolerated.
  static IniFile Load(const std::string& path);
  // Parses the bytes of a file: GBK, or UTF-8 after a byte order mark.
  static IniFile Parse(std::string_view bytes);

  bool Existed() const { return existed_; }

  bool HasKey(std::string_view section, std::string_view key) const;
  // The value with surrounding blanks removed, as UTF-8; fallback when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Signed 32-bit decimal, or hexadecimal after "$", "x", "X", "0x", "0X"; anything else,
  // an empty value or a value out of range gives the fallback.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t fallback) const;
  // Read integer with fallback 0 or 1; true when not 0.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Replace the value, or add the key (and its section) at the end. Surrounding blanks are
  // dropped and a line break inside the value becomes a blank, so a value can never start a line
  // of its own.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);

  // All section names in file order (for tests and tools).
  std::vector<std::string> Sections() const;
  // Key names of one section in file order, each once.
  std::vector<std::string> Keys(std::string_view section) const;

  // The file's bytes: GBK, CRLF line ends, a blank line before every section header but the
  // first.
  std::string Serialize() const;
  // Writes a temporary file beside path and renames it over path, so a crash never leaves half
  // a file; afterwards the temporaries of saves that were killed are cleared away. Throws
  // IniWriteError when the folder cannot take the file, when path is a file without any write
  // permission, or when this document came from a file that could not be read.
  void Save(const std::string& path) const;

 private:
  // A key line, or any other line kept as it stood (comment, garbage) when key is empty.
  struct Line {
    std::string key;
    std::string value;  // UTF-8, without surrounding blanks; for other lines the whole text
    bool IsKey() const { return !key.empty(); }
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  Section& SectionFor(std::string_view name);
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  const Line* FindKey(std::string_view section, std::string_view key) const;

  std::vector<std::string> preamble_;  // non-key lines above the first section header
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // lower-case name -> position
  bool existed_ = false;
  bool unreadable_ = false;
};

// The integer read rule on its own: false (value untouched) when text is not an integer.
bool ParseIniInteger(std::string_view text, std::int32_t& value);

}  // namespace climate
