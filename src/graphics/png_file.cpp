#include "graphics/png_file.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace quarry {
namespace {

constexpr uint32_t kMaxDecodedPixels = 64u << 20;

struct ReadCursor {
  std::span<const uint8_t> bytes;
  size_t pos = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
  if (count > cursor->bytes.size() - cursor->pos) png_error(png, "the data ends early");
  std::memcpy(out, cursor->bytes.data() + cursor->pos, count);
  cursor->pos += count;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

void NoFlush(png_structp) {}

// libpng reports through longjmp; its text is of no use to the callers.
void Quiet(png_structp, png_const_charp) {}

}  // namespace

void TRgbImage::Paste(const TRgbImage& part, int x, int y) {
  const int left = std::max(0, -x), right = std::min(part.Width, Width - x);
  if (left >= right) return;
  for (int row = std::max(0, -y); row < part.Height && y + row < Height; ++row)
    std::memcpy(At(x + left, y + row), part.At(left, row), static_cast<size_t>(right - left) * 3);
}

TRgbImage TRgbImage::Half() const {
  TRgbImage half(Width / 2, Height / 2);
  for (int y = 0; y < half.Height; ++y)
    for (int x = 0; x < half.Width; ++x)
      for (int c = 0; c < 3; ++c)
        half.At(x, y)[c] = static_cast<uint8_t>(
            (At(2 * x, 2 * y)[c] + At(2 * x + 1, 2 * y)[c] + At(2 * x, 2 * y + 1)[c] + At(2 * x + 1, 2 * y + 1)[c] + 2) / 4);
  return half;
}

TRgbImage Grid(const std::vector<TRgbImage>& cells, int columns, int gap) {
  if (cells.empty() || columns < 1) return {};
  columns = std::min<int>(columns, static_cast<int>(cells.size()));
  const int rows = (static_cast<int>(cells.size()) + columns - 1) / columns;
  const int w = cells[0].Width + gap, h = cells[0].Height + gap;
  TRgbImage grid(w * columns - gap, h * rows - gap);
  for (size_t i = 0; i < cells.size(); ++i)
    grid.Paste(cells[i], static_cast<int>(i % columns) * w, static_cast<int>(i / columns) * h);
  return grid;
}

namespace {

// The libpng calls, in functions whose own locals are all plain: an error
// longjmps back here, and the C++ objects they fill live in the caller.
bool WritePng(const TRgbImage& image, std::vector<uint8_t>* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, WriteBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width), static_cast<png_uint_32>(image.Height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.Height; ++y) png_write_row(png, image.At(0, y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool ReadPng(ReadCursor* cursor, TRgbImage* image) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Quiet);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, cursor, ReadBytes);
  png_set_user_limits(png, 1u << 16, 1u << 16);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  if (static_cast<uint64_t>(width) * height > kMaxDecodedPixels) png_error(png, "too large");
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != width * 3) png_error(png, "unexpected row size");
  *image = TRgbImage(static_cast<int>(width), static_cast<int>(height));
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, image->At(0, static_cast<int>(y)), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const TRgbImage& image) {
  std::vector<uint8_t> out;
  if (image.Width < 1 || image.Height < 1 || !WritePng(image, &out)) return {};
  return out;
}

bool DecodePng(std::span<const uint8_t> bytes, TRgbImage& image) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return false;
  ReadCursor cursor{bytes};
  TRgbImage decoded;
  if (!ReadPng(&cursor, &decoded)) return false;
  image = std::move(decoded);
  return true;
}

}  // namespace quarry
