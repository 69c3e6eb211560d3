// Writes the program's icon, as the Qt window draws it, to an icon file for the Windows program's
// resources: a 32 x 32 image in 256 colours, with a mask for its transparent corners.
//   make-icon app/kolvex.ico
// A window test checks that the file shows what the window draws.
#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/main_window.h"

namespace {

void Put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(value >> 16));
}

// The icon file of `image` (Format_Indexed8): its header, one directory entry, and the bitmap:
// a header, 256 palette entries, the rows of colour indexes and the rows of the mask, bottom row
// first. Indexes whose colour is transparent are masked.
std::string IconFile(const QImage& image) {
  const int size = image.width();
  const int mask_row = ((size + 31) / 32) * 4;
  const auto bitmap_size = static_cast<std::uint32_t>(40 + 256 * 4 + size * size + size * mask_row);
  std::string out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon
  Put16(out, 1);  // one image
  out += static_cast<char>(size);
  out += static_cast<char>(size);
  out += static_cast<char>(0);  // 256 colours
  out += static_cast<char>(0);
  Put16(out, 1);  // planes
  Put16(out, 8);  // bits per pixel
  Put32(out, bitmap_size);
  Put32(out, 6 + 16);  // where the bitmap starts

  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));  // the colours and the mask
  Put16(out, 1);
  Put16(out, 8);
  for (int i = 0; i < 6; ++i) Put32(out, 0);  // no compression, sizes and colour counts unset
  const QList<QRgb> colours = image.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb colour = i < colours.size() ? colours[i] : 0;
    out += static_cast<char>(qBlue(colour));
    out += static_cast<char>(qGreen(colour));
    out += static_cast<char>(qRed(colour));
    out += static_cast<char>(0);
  }
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) out += static_cast<char>(image.pixelIndex(x, y));
  }
  for (int y = size - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(mask_row), '\0');
    for (int x = 0; x < size; ++x) {
      if (qAlpha(colours[image.pixelIndex(x, y)]) < 128) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
      }
    }
    out += row;
  }
  return out;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-icon FILE.ico\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QImage image = app::KolvexWindow::IconImage();
  if (image.format() != QImage::Format_Indexed8 || image.colorCount() > 256) {
    std::fprintf(stderr, "make-icon: the icon is not an image of 256 colours\n");
    return 1;
  }
  std::ofstream(argv[1], std::ios::binary) << IconFile(image);
  return 0;
}
