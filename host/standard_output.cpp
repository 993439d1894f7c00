//===- standard_output.cpp - Writes to standard output that can fail ------===//

#include "standard_output.h"

#include <cerrno>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace zevac {

namespace {

class FdBuffer : public std::streambuf {
public:
  explicit FdBuffer(int fd) : fd_(fd) { setp(buf_, buf_ + sizeof buf_); }
  int error() const { return error_; }

protected:
  int_type overflow(int_type c) override {
    if (!drain())
      return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return drain() ? 0 : -1; }

private:
  /// Writes the buffered text; after a failure it is dropped instead.
  bool drain() {
    for (const char *p = pbase(); p < pptr() && !error_;) {
      ssize_t n = ::write(fd_, p, static_cast<std::size_t>(pptr() - p));
      if (n >= 0)
        p += n;
      else if (errno != EINTR)
        error_ = errno;
    }
    setp(buf_, buf_ + sizeof buf_);
    return !error_;
  }

  int fd_;
  int error_ = 0;
  char buf_[1 << 16];
};

FdBuffer *gBuffer = nullptr;

} // namespace

void captureStandardOutput() {
  // Never destroyed: std::cout is flushed once more at exit.
  gBuffer = new FdBuffer(STDOUT_FILENO);
  std::cout.rdbuf(gBuffer);
}

int flushStandardOutput() {
  std::cout.flush();
  if (gBuffer)
    return gBuffer->error();
  return std::cout ? 0 : EIO;
}

} // namespace zevac
