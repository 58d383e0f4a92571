// Reading, editing and atomically saving UserSet.INI.
#include "app/config/ini_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <unordered_set>

#include "app/config/gbk.hpp"
#include "app/config/save_temporary.hpp"
#include "common/text_rules.hpp"

namespace climate {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD
// A settings file is a few kilobytes; anything far larger is not one, and reading it whole
// would only exhaust memory.
constexpr std::size_t MaxFileSize = 16u << 20;

// The settings file pads names and values with spaces and tabs; anything else is part of them.
constexpr Blanks IniBlanks = Blanks::SpacesAndTabs;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return LowerAscii(c); });
  return lower;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

// A value or name written by the program must stay on its one line.
std::string OneLine(std::string_view text) {
  std::string line(TrimBlanks(text, IniBlanks));
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return std::string(TrimBlanks(line, IniBlanks));
}

int DigitValue(char c, int base) {
  int digit = -1;
  if (c >= '0' && c <= '9') {
    digit = c - '0';
  } else if (base == 16 && c >= 'a' && c <= 'f') {
    digit = c - 'a' + 10;
  } else if (base == 16 && c >= 'A' && c <= 'F') {
    digit = c - 'A' + 10;
  }
  return digit < base ? digit : -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool ReadAll(int fd, std::string& bytes) {
  char buffer[8192];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > MaxFileSize) return false;
  }
}

}  // namespace

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path), path_(path) {}

bool ParseIniInteger(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return false;
  constexpr std::uint64_t Limit = std::uint64_t{1} << 31;  // magnitude of the lowest value
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return false;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > Limit) return false;
  }
  if (!negative && magnitude == Limit) return false;
  const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
  value = static_cast<std::int32_t>(negative ? -signedMagnitude : signedMagnitude);
  return true;
}

IniFile IniFile::Load(const std::string& path) {
  IniFile ini;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) {
      ini.existed_ = true;
      ini.unreadable_ = true;
    }
    return ini;
  }
  ini.existed_ = true;
  // Only a regular file is read: a FIFO would block, a directory is no settings file.
  const int fd = S_ISREG(info.st_mode) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
  if (fd < 0) {
    ini.unreadable_ = true;
    return ini;
  }
  std::string bytes;
  const bool complete = ReadAll(fd, bytes);
  ::close(fd);
  if (!complete) {
    ini.unreadable_ = true;
    return ini;
  }
  IniFile parsed = Parse(bytes);
  parsed.existed_ = true;
  return parsed;
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  // CR and LF are never part of a GBK double-byte character, so decoding the whole text first
  // and splitting it afterwards finds the same lines. The document holds only what a save can
  // keep: a character GBK lacks and a byte that decodes to nothing read as the '?' they would be
  // saved as, so two names never differ in memory and coincide in the file.
  const std::string decoded = bytes.starts_with(ByteOrderMark)
                                  ? GbkToUtf8(Utf8ToGbk(bytes.substr(ByteOrderMark.size())))
                                  : GbkToUtf8(bytes);
  std::string text;
  text.reserve(decoded.size());
  for (std::string_view rest = decoded; !rest.empty();) {
    const std::size_t at = rest.find(ReplacementCharacter);
    text.append(rest.substr(0, at));
    if (at == std::string_view::npos) break;
    text.push_back('?');
    rest.remove_prefix(at + ReplacementCharacter.size());
  }
  std::size_t current = std::string::npos;  // section of the lines that follow
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = TrimBlanks(line, IniBlanks);
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        const Section& section = ini.SectionFor(TrimBlanks(line.substr(1, close - 1), IniBlanks));
        current = static_cast<std::size_t>(&section - ini.sections_.data());
        continue;
      }
    }
    Line entry;
    const std::size_t equals = line.find('=');
    const bool comment = line.front() == ';' || line.front() == '#';
    if (!comment && equals != std::string_view::npos &&
        !TrimBlanks(line.substr(0, equals), IniBlanks).empty()) {
      entry.key = TrimBlanks(line.substr(0, equals), IniBlanks);
      entry.value = TrimBlanks(line.substr(equals + 1), IniBlanks);
    } else {
      entry.value = line;
    }
    if (current == std::string::npos) {
      // Keys above the first header belong to no section and cannot be read; keep them as text.
      ini.preamble_.emplace_back(line);
    } else {
      ini.sections_[current].lines.push_back(std::move(entry));
    }
  }
  return ini;
}

IniFile::Section& IniFile::SectionFor(std::string_view name) {
  if (Section* existing = FindSection(name)) return *existing;
  sectionIndex_.emplace(LowerAscii(name), sections_.size());
  sections_.push_back(Section{std::string(name), {}});
  return sections_.back();
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  const auto found = sectionIndex_.find(LowerAscii(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = sectionIndex_.find(LowerAscii(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniFile::Line* IniFile::FindKey(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(TrimBlanks(section, IniBlanks));
  if (found == nullptr) return nullptr;
  key = TrimBlanks(key, IniBlanks);
  for (const Line& line : found->lines) {
    if (line.IsKey() && EqualNoCase(line.key, key)) return &line;
  }
  return nullptr;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return FindKey(section, key) != nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  const Line* line = FindKey(section, key);
  return line == nullptr ? std::string(fallback) : line->value;
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
  const Line* line = FindKey(section, key);
  std::int32_t value = fallback;
  if (line == nullptr || !ParseIniInteger(line->value, value)) return fallback;
  return value;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sectionName = OneLine(section);
  const std::string keyName = OneLine(key);
  // Such a key would read back as something else: a section header, a comment or another key.
  if (keyName.empty() || keyName.find('=') != std::string::npos || keyName.front() == '[' ||
      keyName.front() == ';' || keyName.front() == '#') {
    throw std::invalid_argument("invalid INI key name: " + keyName);
  }
  Section& target = SectionFor(sectionName);
  for (Line& line : target.lines) {
    if (line.IsKey() && EqualNoCase(line.key, keyName)) {
      line.value = OneLine(value);
      return;
    }
  }
  target.lines.push_back(Line{keyName, OneLine(value)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* found = FindSection(TrimBlanks(section, IniBlanks));
  if (found == nullptr) return keys;
  std::unordered_set<std::string> seen;
  for (const Line& line : found->lines) {
    if (line.IsKey() && seen.insert(LowerAscii(line.key)).second) keys.push_back(line.key);
  }
  return keys;
}

std::string IniFile::Serialize() const {
  std::string text;
  for (const std::string& line : preamble_) text.append(line).append("\r\n");
  bool first = preamble_.empty();
  for (const Section& section : sections_) {
    if (!first) text.append("\r\n");
    first = false;
    text.append("[").append(section.name).append("]\r\n");
    for (const Line& line : section.lines) {
      if (line.IsKey()) text.append(line.key).append("=");
      text.append(line.value).append("\r\n");
    }
  }
  std::string bytes = Utf8ToGbk(text);
  // GBK text can begin with the bytes of a UTF-8 byte order mark; a leading blank line keeps the
  // next load from taking the file for UTF-8.
  if (bytes.starts_with(ByteOrderMark)) bytes.insert(0, "\r\n");
  return bytes;
}

void IniFile::Save(const std::string& path) const {
  if (unreadable_) throw IniWriteError(path);
  const std::string target = ResolveSaveTarget(path);

  mode_t mode = 0644;
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) {
    // Root passes every permission check, so a file without any write bit counts as read-only
    // on its own, as the read-only attribute does on Windows.
    if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0 ||
        ::access(target.c_str(), W_OK) != 0) {
      throw IniWriteError(path);
    }
    mode = info.st_mode & 07777;
  }

  // The temporary stays open, and so locked, until it has been renamed: a cleanup running
  // meanwhile takes it for a save in progress.
  const SaveTemporary temporary = CreateSaveTemporary(target);
  if (temporary.fd < 0) throw IniWriteError(path);
  const bool written = WriteAll(temporary.fd, Serialize()) && ::fchmod(temporary.fd, mode) == 0 &&
                       ::fsync(temporary.fd) == 0;
  if (!written || ::rename(temporary.path.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.path.c_str());
    ::close(temporary.fd);
    throw IniWriteError(path);
  }
  ::close(temporary.fd);
  RemoveStaleSaveTemporaries(target);
  // Make the rename itself durable; a failure here no longer endangers the file's content.
  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (folder.empty()) folder = ".";
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
}

}  // namespace climate
