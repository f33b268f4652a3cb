#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumaret {

using Bytes = std::span<const std::uint8_t>;

// Bounds-checked reads from a file held in memory. A read past the end yields
// zeros and sets ok() to false, so a reader may read a whole header and test
// once.
class ByteReader {
 public:
  explicit ByteReader(Bytes bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

  bool ok() const { return ok_; }
  std::size_t position() const { return at_; }
  std::size_t size() const { return bytes_.size(); }
  std::size_t remaining() const { return at_ < bytes_.size() ? bytes_.size() - at_ : 0; }
  void seek(std::size_t at) {
    if (at > bytes_.size())
      ok_ = false;
    at_ = at;
  }
  void skip(std::size_t n) { seek(n > remaining() ? bytes_.size() + 1 : at_ + n); }

  std::uint8_t u8() { return need(1) ? bytes_[at_++] : 0; }
  std::uint16_t u16le() { return std::uint16_t(u8() | u8() << 8); }
  std::uint16_t u16be() { return std::uint16_t(u8() << 8 | u8()); }
  std::uint32_t u32le() {
    const std::uint32_t lo = u16le();
    return lo | std::uint32_t(u16le()) << 16;
  }
  std::uint32_t u32be() {
    const std::uint32_t hi = u16be();
    return hi << 16 | u16be();
  }
  std::int32_t i32le() { return std::int32_t(u32le()); }

  // n bytes from the current position; empty (and !ok()) when fewer remain.
  Bytes take(std::size_t n) {
    if (!need(n))
      return {};
    const Bytes b = bytes_.subspan(at_, n);
    at_ += n;
    return b;
  }

 private:
  bool need(std::size_t n) {
    if (n > remaining()) {
      ok_ = false;
      at_ = bytes_.size();
      return false;
    }
    return true;
  }

  Bytes bytes_;
  std::size_t at_;
  bool ok_ = true;
};

}  // namespace lumaret
