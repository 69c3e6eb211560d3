// Bytes written into room made for them beforehand, with no check per byte in a release build:
// for the writers of sheets and clipboard forms of millions of cells, each a few dozen bytes,
// where a check and a call for every small append would cost more than the bytes themselves. A
// ByteBuffer makes the room and hands on what is written when it runs out. The writer knows the
// room's end, and a Debug or sanitizer build (NDEBUG not defined) asserts that every piece fits
// in it: a bound reckoned short for some text is caught there, even inside a buffer larger than
// the room, where a sanitizer sees nothing.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace exporter {

class ByteWriter {
 public:
  // A writer of the room from `at` to `end`.
  ByteWriter(char* at, char* end) : at_(at), end_(end) {}

  template <std::size_t N>
  void Put(const char (&text)[N]) {
    Fits(N - 1);
    std::memcpy(at_, text, N - 1);
    at_ += N - 1;
  }
  void Put(std::string_view bytes) {
    const char* from = bytes.data();
    const std::size_t size = bytes.size();
    Fits(size);
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
  void Put(char c) {
    Fits(1);
    *at_++ = c;
  }

  char* at() const { return at_; }

 private:
  void Fits([[maybe_unused]] std::size_t bytes) const {
    assert(bytes <= static_cast<std::size_t>(end_ - at_) && "written past the room made");
  }

  char* at_;
  char* end_;
};

// A buffer written by ByteWriters, each given room for as many bytes as it may write. When the
// room left is too little, the bytes written so far are handed on first and the buffer is made
// at least `size` long again.
class ByteBuffer {
 public:
  // Takes the buffer's first `used` bytes: it may take the buffer itself, leaving it empty, or
  // leave it as it is.
  using HandOnBytes = std::function<void(std::string& buffer, std::size_t used)>;

  ByteBuffer(std::size_t size, HandOnBytes hand_on) : size_(size), hand_on_(std::move(hand_on)) {}
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  // A writer with room for `bytes` more; Done takes what it wrote.
  ByteWriter Room(std::size_t bytes) {
    if (buffer_.size() - used_ < bytes) {
      HandOn();
      const std::size_t wanted = std::max(size_, bytes);
      if (buffer_.size() < wanted) buffer_.resize(wanted);
    }
    return ByteWriter(buffer_.data() + used_, buffer_.data() + used_ + bytes);
  }
  void Done(const ByteWriter& out) { used_ = static_cast<std::size_t>(out.at() - buffer_.data()); }
  void Put(std::string_view bytes) {
    ByteWriter out = Room(bytes.size());
    out.Put(bytes);
    Done(out);
  }

  // The bytes written and not yet handed on.
  std::size_t used() const { return used_; }
  // Hands on the bytes written, if there are any.
  void HandOn() {
    if (used_ == 0) return;
    hand_on_(buffer_, used_);
    used_ = 0;
  }

 private:
  std::size_t size_;
  HandOnBytes hand_on_;
  std::string buffer_;  // its first used_ bytes written, the rest room to write in
  std::size_t used_ = 0;
};

}  // namespace exporter
