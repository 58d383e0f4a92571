// libjpeg decoding with a setjmp error manager: libjpeg's default handler calls exit(), which a
// bad splash picture must never do. The function that calls setjmp holds only C objects, and the
// pixels it produces live in the caller's record, so a longjmp skips no destructor and leaves no
// value undetermined.
#include "dialogs/jpeg_decoder.hpp"

#include <fcntl.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace climate {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (a truncated file among them) keep the decoded part; nothing is printed.
void SilentMessage(j_common_ptr, int) {}

// Each scan of a progressive picture is one more pass over the whole picture, so the number of
// scans, not the file's size, decides the work; a crafted file can hold thousands.
void LimitScans(j_common_ptr info) {
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > MaxJpegScans) info->err->error_exit(info);
}

struct RawPicture {
  unsigned char* pixels = nullptr;  // malloc'd, rows of width * components bytes
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  int components = 0;
  bool cmyk = false;
};

bool DecodeRaw(const unsigned char* bytes, unsigned long size, RawPicture* raw) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ErrorExit;
  errors.base.emit_message = SilentMessage;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    std::free(raw->pixels);
    raw->pixels = nullptr;
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;
  info.progress = &progress;
  jpeg_mem_src(&info, bytes, size);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  raw->cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = raw->cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_calc_output_dimensions(&info);
  if (info.output_width == 0 || info.output_height == 0 ||
      static_cast<long long>(info.output_width) * info.output_height > MaxJpegPixels ||
      (info.output_components != 3 && info.output_components != 4)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  raw->width = info.output_width;
  raw->height = info.output_height;
  raw->components = info.output_components;
  const std::size_t stride = static_cast<std::size_t>(raw->width) * raw->components;
  raw->pixels = static_cast<unsigned char*>(std::malloc(stride * raw->height));
  if (raw->pixels == nullptr) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = raw->pixels + stride * info.output_scanline;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage DecodeJpeg(std::string_view bytes) {
  if (bytes.empty()) return QImage();
  RawPicture raw;
  if (!DecodeRaw(reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()), &raw)) {
    return QImage();
  }
  QImage image(static_cast<int>(raw.width), static_cast<int>(raw.height), QImage::Format_RGB32);
  if (!image.isNull()) {
    for (JDIMENSION y = 0; y < raw.height; ++y) {
      const unsigned char* p =
          raw.pixels + static_cast<std::size_t>(y) * raw.width * raw.components;
      auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
      for (JDIMENSION x = 0; x < raw.width; ++x, p += raw.components) {
        if (raw.cmyk) {
          // Adobe stores CMYK inverted: each value is already 255 minus the ink.
          const int k = p[3];
          out[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
        } else {
          out[x] = qRgb(p[0], p[1], p[2]);
        }
      }
    }
  }
  std::free(raw.pixels);
  return image;
}

QImage DecodeJpegFile(const std::string& path) {
  // Looked at before it is opened: opening a device alone can act on it.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return QImage();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return QImage();
  // The name may have been given to something else in between; the open file decides.
  std::string bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
      info.st_size <= MaxJpegFileBytes) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
  }
  ::close(fd);
  return DecodeJpeg(bytes);
}

}  // namespace climate
