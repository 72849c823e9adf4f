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

std::string ArchiveReader::CleanString() {
  // The usual case: a plain string with no control character and no lead
  // byte left dangling at its end is taken as it stands, in one copy.
  const size_t at = pos_;
  if (pos_ < size_) {
    const uint8_t n = data_[pos_];
    if (n < 0xFF && static_cast<size_t>(n) < size_ - pos_) {
      const uint8_t* p = data_ + pos_ + 1;
      bool clean = true;
      for (uint8_t i = 0; i < n && clean; ++i) {
        if (p[i] < 0x20) {
          clean = false;
        } else if ((p[i] >= 0x81 && p[i] <= 0x9F) || (p[i] >= 0xE0 && p[i] <= 0xFD)) {
          if (i + 1 >= n) clean = false;  // a lead byte at the very end is dropped: slow path
          ++i;
        }
      }
      if (clean) {
        pos_ += 1 + n;
        return std::string(reinterpret_cast<const char*>(p), n);
      }
    }
  }
  pos_ = at;
  return util::SjisRemoveControlChars(String());
}
