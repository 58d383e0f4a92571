// JPEG files decoded with libjpeg into QImage. A damaged, truncated or foreign file yields a null
// image; libjpeg's own fatal errors are turned into that result instead of ending the process.
#pragma once

#include <QImage>
#include <string>
#include <string_view>

namespace climate {

// Pictures beyond this many pixels are refused rather than decoded into memory.
inline constexpr long long MaxJpegPixels = 40'000'000;

QImage DecodeJpeg(std::string_view bytes);
QImage DecodeJpegFile(const std::string& path);

}  // namespace climate
