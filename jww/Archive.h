// Bounds-checked reading of the little-endian archive a drawing file is.
// Every read checks what remains; a short read throws ArchiveError.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ArchiveReader {
 public:
  ArchiveReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Position() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ >= size_; }

  // Returns a pointer to the next n bytes and steps over them.
  const uint8_t* Take(size_t n) {
    if (n > Remaining()) throw ArchiveError("the file ends inside a record");
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  void Skip(size_t n) { Take(n); }

  uint8_t U8() { return *Take(1); }
  uint16_t U16() { return Get<uint16_t>(Take(2)); }
  int32_t I32() { return Get<int32_t>(Take(4)); }
  uint32_t U32() { return Get<uint32_t>(Take(4)); }
  double F64() { return Get<double>(Take(8)); }

  // Decoding of fields inside a block already taken with Take().
  template <typename T>
  static T Get(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  // A list count: uint16, 0xFFFF escaping to a uint32.
  uint32_t Count() {
    const uint16_t c = U16();
    return c == 0xFFFF ? U32() : c;
  }

  // An archive string, as Shift-JIS bytes. Strings written as UTF-16
  // (marker FF FE FF) are converted to Shift-JIS.
  std::string String();
  // String() without single-byte control characters (double-byte ones kept).
  std::string CleanString();

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};
