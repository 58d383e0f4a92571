// UserSet.INI access with the Windows INI rules the console has always had: names compare
// without case, keys keep the order of first writing, values are stored as GBK text with CRLF
// line ends. Text crosses this interface as UTF-8.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace climate {

// A write that failed; what() is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::string& path);
};

class IniFile {
 public:
  // Reads the file at path; a missing or unreadable file gives an empty document whose
  // Existed() is false. Never throws on content: hand-edited and damaged files are tolerated.
  static IniFile Load(const std::string& path);
  // Parses GBK bytes as found in a file.
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
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Replace the value, or add the key (and its section) at the end.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);

  // All section names in file order (for tests and tools).
  std::vector<std::string> Sections() const;
  // Key names of one section in file order.
  std::vector<std::string> Keys(std::string_view section) const;

  // The file's bytes: GBK, CRLF line ends.
  std::string Serialize() const;
  // Writes a temporary file beside path and renames it over path, so a crash never leaves half
  // a file. Throws IniWriteError.
  void Save(const std::string& path) const;

 private:
  struct Entry {
    std::string key;
    std::string value;  // UTF-8, as written or as read (untrimmed)
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  std::vector<Section> sections_;
  bool existed_ = false;
};

// The integer read rule on its own: nullopt-like failure is reported through ok.
bool ParseIniInteger(std::string_view text, std::int32_t& value);

}  // namespace climate
