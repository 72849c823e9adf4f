#include "jww/Archive.h"

#include "util/CodePage.h"
#include "util/Sjis.h"

namespace {

// Length in the archive's scheme after the first byte: < 0xFF itself, else a
// uint16, and a uint16 of 0xFFFF escapes to a uint32.
uint32_t ReadLengthAfter(ArchiveReader& in, uint8_t first, bool allowUnicodeMarker,
                         bool& unicode) {
  if (first < 0xFF) return first;
  const uint16_t w = in.U16();
  if (w == 0xFFFE && allowUnicodeMarker) {
    unicode = true;
    return ReadLengthAfter(in, in.U8(), false, unicode);
  }
  if (w == 0xFFFF) return in.U32();
  return w;
}

}  // namespace

std::string ArchiveReader::String() {
  bool unicode = false;
  const uint32_t length = ReadLengthAfter(*this, U8(), true, unicode);
  if (unicode) {
    if (length > Remaining() / 2) throw ArchiveError("a text runs past the end of the file");
    const uint8_t* p = Take(static_cast<size_t>(length) * 2);
    return util::Utf16LeToCp932(p, length);
  }
  const uint8_t* p = Take(length);
  return std::string(reinterpret_cast<const char*>(p), length);
}

std::string ArchiveReader::CleanString() { return util::SjisRemoveControlChars(String()); }
