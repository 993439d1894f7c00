//===- source.h - Notation source files and their diagnostics ---*- C++ -*-===//
//
// A source text with its line table, and the errors found in it, printed
// as compilers print them: "FILE:LINE:COL: error: WHAT", the source line and
// a caret under the spot. Columns count characters, from 1.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace notation {

class SourceFile {
public:
  SourceFile(std::string name, std::string text);

  const std::string &name() const { return name_; }
  const std::string &text() const { return text_; }

  struct LineCol {
    std::uint32_t line, col;
  };
  LineCol lineCol(std::uint32_t offset) const;
  /// Line `line` (from 1) without its line break.
  std::string_view lineText(std::uint32_t line) const;

private:
  std::string name_;
  std::string text_;
  std::vector<std::uint32_t> lineStarts_;
};

class Diagnostics {
public:
  explicit Diagnostics(const SourceFile &file) : file_(file) {}

  void error(std::uint32_t offset, std::string message);
  /// A note on the error before it (where the other place is).
  void note(std::uint32_t offset, std::string message);
  std::size_t errorCount() const { return errors_; }
  /// Prints every diagnostic; past the limit only their number.
  void print(std::ostream &os, std::size_t limit = 50) const;

private:
  struct Entry {
    bool isError;
    std::uint32_t offset;
    std::string message;
  };
  const SourceFile &file_;
  std::vector<Entry> entries_;
  std::size_t errors_ = 0;
};

/// Whether the text is UTF-8 without NUL characters, which the texts of a
/// repository cannot hold; reports the first fault otherwise.
bool checkEncoding(const SourceFile &file, Diagnostics &diags);

/// The candidate closest to `wrong` by edit distance, if it is close
/// enough to be a likely misspelling; empty otherwise.
std::string_view closestName(std::string_view wrong,
                             const std::vector<std::string_view> &candidates);

/// "; did you mean 'X'?" for the closest candidate, or nothing.
std::string didYouMean(std::string_view wrong,
                       const std::vector<std::string_view> &candidates);

} // namespace notation
