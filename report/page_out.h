//===- page_out.h - A page written in pieces --------------------*- C++ -*-===//
#pragma once

#include "html_text.h"

#include <functional>
#include <string>
#include <string_view>

namespace zreport {

/// Where the page goes, a piece at a time; false stops the writing.
using PageSink = std::function<bool(std::string_view)>;

/// Collects the page's text and hands it on in pieces of some tens of
/// kilobytes, so that a page of a large model is never held whole. After a
/// failed write the rest is dropped.
class PageOut {
public:
  explicit PageOut(PageSink sink) : sink_(std::move(sink)) {
    buffer_.reserve(kPiece + kPiece / 4);
  }
  PageOut(const PageOut &) = delete;
  PageOut &operator=(const PageOut &) = delete;

  /// Markup, written as it is.
  PageOut &operator<<(std::string_view markup) {
    buffer_ += markup;
    return spill();
  }
  PageOut &operator<<(char c) {
    buffer_ += c;
    return spill();
  }
  PageOut &operator<<(int number) {
    return *this << static_cast<long long>(number);
  }
  PageOut &operator<<(long long number) {
    buffer_ += std::to_string(number);
    return spill();
  }
  /// A text, escaped.
  PageOut &text(std::string_view text) {
    appendEscaped(buffer_, text);
    return spill();
  }
  /// Writes what is left; whether every piece was written.
  bool finish() {
    flush();
    return ok_;
  }

private:
  static constexpr std::size_t kPiece = 64 * 1024;

  PageOut &spill() {
    if (buffer_.size() >= kPiece)
      flush();
    return *this;
  }
  void flush() {
    if (ok_ && !buffer_.empty())
      ok_ = sink_(buffer_);
    buffer_.clear();
  }

  PageSink sink_;
  std::string buffer_;
  bool ok_ = true;
};

} // namespace zreport
