#include "platform/screenshot.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>

#include "platform/test_seams.h"

namespace {

struct cScreenshotPlan {
  std::string m_strDir;
  std::set<uint64_t> m_Frames;
  cScreenshotPlan() {
    m_strDir = EnvText("TARVOLIN4_SCREENSHOT");
    std::string at = EnvText("TARVOLIN4_SCREENSHOT_AT");
    size_t pos = 0;
    while (!at.empty() && pos <= at.size()) {
      size_t comma = at.find(',', pos);
      if (comma == std::string::npos) comma = at.size();
      std::string item = at.substr(pos, comma - pos);
      if (!item.empty()) m_Frames.insert(std::strtoull(item.c_str(), nullptr, 10));
      pos = comma + 1;
    }
  }
};

}  // namespace

void ScreenshotFrameIfAsked(uint64_t n, const uint32_t* pPixels, int w, int h, int pitch) {
  static const cScreenshotPlan s_Plan;
  if (s_Plan.m_strDir.empty() || !s_Plan.m_Frames.count(n)) return;
  std::error_code ec;
  std::filesystem::create_directories(s_Plan.m_strDir, ec);
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%05llu.png", static_cast<unsigned long long>(n));
  WritePng(s_Plan.m_strDir + name, pPixels, w, h, pitch);
}

bool WritePng(const std::string& path, const uint32_t* pPixels, int w, int h, int pitch) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = pPixels + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < w; ++x) {
      row[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
      row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
      row[x * 3 + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool ReadPng(const std::string& path, std::vector<uint32_t>& pixels, int& w, int& h) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> buf(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, buf.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  w = static_cast<int>(image.width);
  h = static_cast<int>(image.height);
  for (uint32_t& p : buf) p &= 0x00FFFFFFu;  // little-endian BGRA reads as 0xAARRGGBB
  pixels = std::move(buf);
  return true;
}
