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
    Put(std::string_view(text, N - 1));
  }
  void Put(std::string_view bytes) {
    if (bytes.empty()) return;
    std::memcpy(at_, bytes.data(), bytes.size());
    at_ += bytes.size();
  }
  void Put(char c) { *at_++ = c; }
  void PutNumber(std::uint64_t number) { at_ = std::to_chars(at_, at_ + 20, number).ptr; }

  char* at() const { return at_; }

 private:
  char* at_;
};

}  // namespace exporter
