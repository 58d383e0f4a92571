// GBK conversion through glibc's iconv, one converter per thread and direction (opening one
// costs more than converting a whole file). A missing converter (a stripped or static runtime
// without gconv modules) degrades to ASCII-only text rather than failing: the file stays
// readable and every key name is ASCII anyway.
#include "app/config/gbk.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace climate {
namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at the start of text, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const unsigned char min = i == 1 ? low : 0x80;
    const unsigned char max = i == 1 ? high : 0xBF;
    if (c < min || c > max) return 0;
  }
  return length;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of input as possible into out; returns the bytes consumed. Stops at the
  // first sequence the converter rejects.
  std::size_t Convert(std::string_view input, std::string& out) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t result = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return input.size() - inLeft;
  }

 private:
  iconv_t handle_;
};

// Converts what the converter can. Where it stops, or without a converter, ASCII passes as it
// is and `standIn` appends what replaces the offending bytes and says how many it used up.
template <typename StandIn>
std::string Convert(Converter& converter, std::string_view in, std::size_t reserve,
                    StandIn standIn) {
  std::string out;
  out.reserve(reserve);
  while (!in.empty()) {
    if (converter.Valid()) {
      in.remove_prefix(converter.Convert(in, out));
      if (in.empty()) break;
    } else if (static_cast<unsigned char>(in[0]) < 0x80) {
      out.push_back(in[0]);
      in.remove_prefix(1);
      continue;
    }
    in.remove_prefix(standIn(in, out));
  }
  return out;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  thread_local Converter converter("GBK", "UTF-8");
  return Convert(converter, utf8, utf8.size(), [](std::string_view rest, std::string& out) {
    // A character GBK lacks is skipped whole; a stray byte on its own.
    const std::size_t length = Utf8SequenceLength(rest);
    out.push_back('?');
    return length == 0 ? std::size_t{1} : length;
  });
}

std::string GbkToUtf8(std::string_view gbk) {
  thread_local Converter converter("UTF-8", "GBK");
  return Convert(converter, gbk, gbk.size() + gbk.size() / 2,
                 [](std::string_view, std::string& out) {
                   // Only the offending byte is dropped, so an ASCII byte after a bad lead byte
                   // survives.
                   out.append(ReplacementCharacter);
                   return std::size_t{1};
                 });
}

}  // namespace climate
