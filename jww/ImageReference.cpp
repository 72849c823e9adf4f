#include "jww/ImageReference.h"

#include <vector>

#include "util/Numeric.h"

bool IsImageReference(const std::string& text) {
  return text.compare(0, 4, "^@BM") == 0 && text.find(',', 4) != std::string::npos;
}

bool ParseImageReference(const std::string& text, ImageReference& out) {
  if (!IsImageReference(text)) return false;
  // The path ends at the first comma. Shift-JIS trail bytes never equal ","
  // (0x2C), so a byte search cannot split a character.
  const size_t comma = text.find(',', 4);
  ImageReference r;
  r.Path = text.substr(4, comma - 4);
  std::vector<std::string> numbers;
  size_t from = comma + 1;
  while (numbers.size() < 6) {
    const size_t next = text.find(',', from);
    numbers.push_back(text.substr(from, next == std::string::npos ? std::string::npos : next - from));
    if (next == std::string::npos) break;
    from = next + 1;
  }
  auto number = [&](size_t i, double missing) {
    return i < numbers.size() ? util::TextToReal(numbers[i]) : missing;
  };
  r.Width = number(0, 0);
  r.Height = numbers.size() == 1 ? r.Width : number(1, 0);
  r.Crop.Left = number(2, 0);
  r.Crop.Bottom = number(3, 0);
  r.Crop.Width = number(4, 1.0);
  r.AngleDegrees = number(5, 0);
  out = std::move(r);
  return true;
}
