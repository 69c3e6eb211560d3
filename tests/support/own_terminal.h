// A terminal of a test's own, on POSIX systems: a pseudo-terminal whose device, in raw mode,
// hands the bytes written to it to the test unchanged. No terminal of the machine is touched.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace test_support {

class OwnTerminal {
 public:
  OwnTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const char* name = ::ptsname(master_);
    if (name == nullptr) return;
    // Kept open, so that reading waits for what is written rather than failing while no one
    // else holds the device.
    device_fd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device_fd_ < 0) return;
    termios raw{};
    ::tcgetattr(device_fd_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(device_fd_, TCSANOW, &raw);
    device_ = name;
  }
  ~OwnTerminal() {
    if (device_fd_ >= 0) ::close(device_fd_);
    if (master_ >= 0) ::close(master_);
  }
  OwnTerminal(const OwnTerminal&) = delete;
  OwnTerminal& operator=(const OwnTerminal&) = delete;

  // The device's path; empty when no pseudo-terminal could be made.
  const std::string& device() const { return device_; }

  // Reads `count` bytes written to the device, or fewer when it is closed first.
  std::string Take(std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t got = 0;
    while (got < count) {
      const ssize_t n = ::read(master_, bytes.data() + got, count - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
  }

 private:
  int master_ = -1;
  int device_fd_ = -1;
  std::string device_;
};

}  // namespace test_support
