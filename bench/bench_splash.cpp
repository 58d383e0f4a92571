// What a splash picture may cost the start-up: decode time and peak memory for pictures at the
// size limit, beyond it, and crafted to cost more than their size suggests (thousands of
// progressive scans in a few tens of kilobytes). Each picture is decoded in a process of its
// own, so the peak memory is that picture's and the program's alone.
//
//   bench_splash
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialogs/jpeg_decoder.hpp"

namespace {

using namespace climate;

// A photo-like pattern, or one flat colour, whose scans are only a few bytes each.
std::string Encode(int width, int height, bool progressive, bool flat) {
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < width; ++x) {
      row[x] = flat ? qRgb(90, 160, 40) : qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
    }
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(progressive);
  writer.setQuality(75);
  if (!writer.write(picture)) return {};
  return buffer.data().toStdString();
}

// The last scan of a progressive picture repeated: each copy is one more pass over the picture.
std::string WithRepeatedLastScan(const std::string& progressive, int copies) {
  const std::size_t lastScan = progressive.rfind("\xFF\xDA");
  const std::size_t end = progressive.rfind("\xFF\xD9");
  std::string crafted = progressive.substr(0, end);
  for (int i = 0; i < copies; ++i) crafted += progressive.substr(lastScan, end - lastScan);
  return crafted + "\xFF\xD9";
}

// A fresh process per picture: its peak memory is the decoder's and the program's alone.
void DecodeInOwnProcess(const std::string& folder, const char* name, const std::string& bytes) {
  const std::string path = folder + "/picture.jpg";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  std::string self = "/proc/self/exe";
  std::string mode = "--decode";
  std::string label = name;
  std::string file = path;
  char* argv[] = {self.data(), mode.data(), file.data(), label.data(), nullptr};
  pid_t child = -1;
  std::fflush(stdout);
  if (::posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, environ) == 0) {
    ::waitpid(child, nullptr, 0);
  }
}

// The peak of this process image; getrusage would also count the program it was started from.
long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

int Decode(const char* path, const char* name) {
  const auto start = std::chrono::steady_clock::now();
  const QImage image = DecodeJpegFile(path);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  struct stat info {};
  ::stat(path, &info);
  const std::string decoded =
      image.isNull() ? "refused"
                     : std::to_string(image.width()) + "x" + std::to_string(image.height());
  std::printf("%-36s %7lld KB  %9s  %7lld ms  %7ld MB\n", name,
              static_cast<long long>(info.st_size / 1024), decoded.c_str(),
              static_cast<long long>(ms), PeakResidentKiB() / 1024);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--decode") return Decode(argv[2], argv[3]);

  char pattern[] = "/tmp/bench-splash-XXXXXX";
  const char* folder = ::mkdtemp(pattern);
  if (folder == nullptr) return 1;
  std::printf("limits: %lld pixels, %lld bytes, %d scans\n", MaxJpegPixels, MaxJpegFileBytes,
              MaxJpegScans);
  std::printf("%-36s %10s  %9s  %10s  %10s\n", "picture", "file", "decoded", "time", "peak RSS");
  const std::string progressive = Encode(2000, 2000, true, false);
  const std::string flat = Encode(2000, 2000, true, true);
  DecodeInOwnProcess(folder, "353x130 (the splash's own size)", Encode(353, 130, false, false));
  DecodeInOwnProcess(folder, "2000x2000 baseline", Encode(2000, 2000, false, false));
  DecodeInOwnProcess(folder, "2000x2000 progressive", progressive);
  DecodeInOwnProcess(folder, "2100x2000 baseline (too many pixels)",
                     Encode(2100, 2000, false, false));
  DecodeInOwnProcess(folder, "2000x2000, last scan 90 times", WithRepeatedLastScan(flat, 90));
  DecodeInOwnProcess(folder, "2000x2000, last scan 3000 times", WithRepeatedLastScan(flat, 3000));
  std::filesystem::remove_all(folder);
  return 0;
}
