// Any bytes as a gzip image carried in a drawing.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "jww/jwwtype.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = jwwtype::TempFolder().Value() + "out/";
  static const std::string source = jwwtype::TempFolder().Value() + "input.bmp.gz";
  std::filesystem::create_directories(folder);
  FILE* f = std::fopen(source.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    jwwtype::GunzipFile(source, folder);
  } catch (const GzipError&) {
  }
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) std::filesystem::remove(e.path(), ec);
  return 0;
}
