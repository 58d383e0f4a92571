// JPEG files decoded with libjpeg into QImage. A damaged, truncated or foreign file yields a null
// image; libjpeg's own fatal errors are turned into that result instead of ending the process.
#pragma once

#include <QImage>
#include <string>
#include <string_view>

namespace climate {

// What one picture may cost. The splash shows 353 by 130 pixels; these leave room for any photo
// a maker would put there while keeping a crafted file to some tens of megabytes and a moment of
// work: bigger files and pictures are refused, and so are progressive pictures of more scans
// than any encoder writes.
inline constexpr long long MaxJpegPixels = 4'000'000;
inline constexpr long long MaxJpegFileBytes = 4LL * 1024 * 1024;
inline constexpr int MaxJpegScans = 100;

QImage DecodeJpeg(std::string_view bytes);
// Reads only a regular file (never a FIFO or a device, which could block or never end) and
// never waits for one.
QImage DecodeJpegFile(const std::string& path);

}  // namespace climate
