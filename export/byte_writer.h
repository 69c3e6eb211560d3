// Bytes written into room made for them beforehand, with no check per byte: for the writers of
// sheets and clipboard forms of millions of cells, each a few dozen bytes, where a check and a
// call for every small append would cost more than the bytes themselves.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace exporter {

class ByteWriter {
 public:
  explicit ByteWriter(char* at) : at_(at) {}

  template <std::size_t N>
  void Put(const char (&text)[N]) {
    std::memcpy(at_, text, N - 1);
    at_ += N - 1;
  }
  void Put(std::string_view bytes) {
    const char* from = bytes.data();
    const std::size_t size = bytes.size();
    // Most pieces are a few bytes long: copied as two fixed-size copies that overlap, which
    // compile to moves, rather than by a call.
    if (size >= 8 && size <= 16) {
      std::memcpy(at_, from, 8);
      std::memcpy(at_ + size - 8, from + size - 8, 8);
    } else if (size >= 4 && size < 8) {
      std::memcpy(at_, from, 4);
      std::memcpy(at_ + size - 4, from + size - 4, 4);
    } else if (size > 0 && size < 4) {
      at_[0] = from[0];
      at_[size / 2] = from[size / 2];
      at_[size - 1] = from[size - 1];
    } else if (size > 16) {
      std::memcpy(at_, from, size);
    }
    at_ += size;
  }
  void Put(char c) { *at_++ = c; }
  void PutNumber(std::uint64_t number) { at_ = std::to_chars(at_, at_ + 20, number).ptr; }

  char* at() const { return at_; }

 private:
  char* at_;
};

}  // namespace exporter
