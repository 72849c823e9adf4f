// Any bytes as a settings file (both forms) and as a JWF environment file,
// handed to the readers directly.
#include <cstdint>
#include <string>

#include "app/core/Imports.h"
#include "app/core/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  PrintSettings s;
  SettingsFileExtras e;
  ReadSettingsText(text, SettingsForm::User, s, e);
  ClampSettings(s);
  ReadSettingsText(text, SettingsForm::Window, s, e);
  static TgraAttribute attr;
  (void)ImportPensFromJwfText(text, "fuzz.jwf", s);
  (void)ImportLineTypesFromJwfText(text, "fuzz.jwf", s, attr);
  return 0;
}
