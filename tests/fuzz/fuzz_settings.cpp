// Any bytes as a settings file (both forms) and as a JWF environment file.
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/core/Imports.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dat = jwwtype::TempFolder() + "fuzz.dat";
  static const std::string jwf = jwwtype::TempFolder() + "fuzz.jwf";
  for (const std::string* path : {&dat, &jwf}) {
    FILE* f = std::fopen(path->c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  PrintSettings s;
  SettingsFileExtras e;
  ReadSettingsFile(dat, SettingsForm::User, s, e);
  ClampSettings(s);
  ReadSettingsFile(dat, SettingsForm::Window, s, e);
  static TgraAttribute attr;
  ImportPensFromJwf(jwf, s);
  ImportLineTypesFromJwf(jwf, s, attr);
  return 0;
}
