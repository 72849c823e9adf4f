// Images placed in a drawing are texts of the form
// "^@BM<path>,<width>[,<height>[,<crop left>,<crop bottom>,<crop width>[,<angle>]]]".
#pragma once

#include <string>

#include "render/ImageCrop.h"

struct ImageReference {
  std::string Path;  // Shift-JIS, as written (may begin with "%temp%")
  double Width = 0, Height = 0;
  ImageCrop Crop;
  double AngleDegrees = 0;
};

// True when the text begins with "^@BM" and holds a comma.
bool IsImageReference(const std::string& text);
// Parses an image reference; false (and `out` untouched) for any other text.
// Numbers that are not valid decimals read as 0; a missing height is the width.
bool ParseImageReference(const std::string& text, ImageReference& out);
