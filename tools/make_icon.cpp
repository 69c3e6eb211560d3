// Writes the program's icon, as the Qt window draws it, to an icon file for the Windows program's
// resources: a 32 x 32 image in 256 colours with a mask for its transparent corners, the same
// drawn in full colour at 16, 20, 24 and 48 pixels, and at 256 pixels as PNG.
//   make-icon app/kolvex.ico
// A window test checks that the file shows what the window draws.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/qt/qt_main_window.h"

namespace {

void Put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(value >> 16));
}

// One image of the icon file: its size in pixels, its bits per pixel, and its bytes.
struct IconEntry {
  int size;
  int bits;
  std::string bytes;
};

// The bitmap header of an icon image: the height counts the colours and the mask.
std::string BitmapHeader(int size, int bits) {
  std::string out;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));
  Put16(out, 1);
  Put16(out, static_cast<std::uint16_t>(bits));
  for (int i = 0; i < 6; ++i) Put32(out, 0);  // no compression, sizes and colour counts unset
  return out;
}

// The rows of the mask, bottom row first: a bit set for each pixel `transparent` says.
template <typename Transparent>
std::string Mask(int size, Transparent transparent) {
  const int mask_row = ((size + 31) / 32) * 4;
  std::string out;
  for (int y = size - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(mask_row), '\0');
    for (int x = 0; x < size; ++x) {
      if (transparent(x, y)) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
      }
    }
    out += row;
  }
  return out;
}

// `image` (Format_Indexed8) in 256 colours: the header, 256 palette entries, the rows of colour
// indexes and the mask, bottom row first. Indexes whose colour is transparent are masked.
IconEntry Indexed(const QImage& image) {
  const int size = image.width();
  std::string out = BitmapHeader(size, 8);
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
  out += Mask(size, [&](int x, int y) { return qAlpha(colours[image.pixelIndex(x, y)]) < 128; });
  return {size, 8, out};
}

// `image` (Format_ARGB32) in full colour with its alpha, as Windows draws its smoother icons.
IconEntry FullColour(const QImage& image) {
  const int size = image.width();
  std::string out = BitmapHeader(size, 32);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const QRgb colour = image.pixel(x, y);
      out += static_cast<char>(qBlue(colour));
      out += static_cast<char>(qGreen(colour));
      out += static_cast<char>(qRed(colour));
      out += static_cast<char>(qAlpha(colour));
    }
  }
  out += Mask(size, [&](int x, int y) { return qAlpha(image.pixel(x, y)) < 128; });
  return {size, 32, out};
}

// `image` as a PNG file, the form Windows takes for an icon's 256-pixel image.
IconEntry Png(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return {image.width(), 32, std::string(png.constData(), static_cast<std::size_t>(png.size()))};
}

// The icon file: its header, a directory entry for each image, then the images.
std::string IconFile(const std::vector<IconEntry>& images) {
  std::string out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon
  Put16(out, static_cast<std::uint16_t>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const IconEntry& image : images) {
    out += static_cast<char>(image.size >= 256 ? 0 : image.size);  // 0 stands for 256
    out += static_cast<char>(image.size >= 256 ? 0 : image.size);
    out += static_cast<char>(0);  // no palette count: 256 colours or more
    out += static_cast<char>(0);
    Put16(out, 1);  // planes
    Put16(out, static_cast<std::uint16_t>(image.bits));
    Put32(out, static_cast<std::uint32_t>(image.bytes.size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(image.bytes.size());
  }
  for (const IconEntry& image : images) out += image.bytes;
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
  const QImage image = app::QtMainWindow::IconImage();
  if (image.format() != QImage::Format_Indexed8 || image.colorCount() > 256) {
    std::fprintf(stderr, "make-icon: the icon is not an image of 256 colours\n");
    return 1;
  }
  // The 32-pixel image first, in 256 colours, as the older readers take the first; then each
  // size Windows asks for from 100 % to 200 % and for its largest views.
  std::vector<IconEntry> images{Indexed(image)};
  for (const int size : {16, 20, 24, 48}) {
    images.push_back(FullColour(app::QtMainWindow::DrawnIcon(size)));
  }
  images.push_back(Png(app::QtMainWindow::DrawnIcon(256)));
  std::ofstream(argv[1], std::ios::binary) << IconFile(images);
  return 0;
}
