//===- source.cpp - Notation source files and their diagnostics -----------===//

#include "source.h"

#include "file_text.h"
#include "utf8.h"

#include <algorithm>
#include <cstring>

namespace notation {

SourceFile::SourceFile(std::string name, std::string text)
    : name_(std::move(name)), text_(std::move(text)) {
  lineStarts_.push_back(0);
  for (std::size_t at = text_.find('\n'); at != std::string::npos;
       at = text_.find('\n', at + 1))
    lineStarts_.push_back(static_cast<std::uint32_t>(at + 1));
}

SourceFile::LineCol SourceFile::lineCol(std::uint32_t offset) const {
  offset = std::min<std::uint32_t>(offset, text_.size());
  auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  auto line = static_cast<std::uint32_t>(it - lineStarts_.begin());
  std::uint32_t start = lineStarts_[line - 1];
  // A byte order mark is no character of the line.
  if (start == 0 && offset >= 3 && text_.compare(0, 3, "\xEF\xBB\xBF") == 0)
    start = 3;
  std::string_view before(text_.data() + start, offset - start);
  return {line, static_cast<std::uint32_t>(zrep::utf8::count(before) + 1)};
}

std::string_view SourceFile::lineText(std::uint32_t line) const {
  if (line == 0 || line > lineStarts_.size())
    return {};
  std::size_t begin = lineStarts_[line - 1];
  std::size_t end =
      line < lineStarts_.size() ? lineStarts_[line] - 1 : text_.size();
  if (end > begin && text_[end - 1] == '\r')
    --end;
  return std::string_view(text_).substr(begin, end - begin);
}

void Diagnostics::error(std::uint32_t offset, std::string message) {
  entries_.push_back({true, offset, std::move(message)});
  ++errors_;
}

void Diagnostics::note(std::uint32_t offset, std::string message) {
  entries_.push_back({false, offset, std::move(message)});
}

void Diagnostics::print(std::ostream &os, std::size_t limit) const {
  // In the order of the text; each error keeps its notes after it.
  std::vector<std::pair<std::uint32_t, std::size_t>> groups;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].isError || groups.empty())
      groups.emplace_back(entries_[i].offset, i);
  std::stable_sort(
      groups.begin(), groups.end(),
      [](const auto &a, const auto &b) { return a.first < b.first; });
  std::vector<const Entry *> ordered;
  for (auto [offset, first] : groups)
    for (std::size_t i = first;
         i < entries_.size() && (i == first || !entries_[i].isError); ++i)
      ordered.push_back(&entries_[i]);
  std::size_t shown = 0;
  bool skipping = false;
  for (const Entry *entry : ordered) {
    const Entry &e = *entry;
    if (e.isError)
      skipping = ++shown > limit;
    if (skipping)
      continue;
    auto [line, col] = file_.lineCol(e.offset);
    os << zrep::printable(file_.name(), file_.name().size() + 1) << ':' << line
       << ':' << col << ": " << (e.isError ? "error: " : "note: ") << e.message
       << '\n';
    std::string_view text = file_.lineText(line);
    // The line as it stands, control characters but tabs shown as blanks,
    // and under it a caret, after the same tabs so that it lines up.
    std::string shownLine, caret;
    std::size_t at = 0;
    for (std::uint32_t c = 1; at < text.size(); ++c) {
      std::size_t n = zrep::utf8::charLength(text, at);
      char first = text[at];
      bool control =
          n == 1 && static_cast<unsigned char>(first) < 0x20 && first != '\t';
      shownLine += control ? std::string(" ") : std::string(text.substr(at, n));
      if (c < col)
        caret += first == '\t' ? '\t' : ' ';
      at += n;
    }
    std::string number = std::to_string(line);
    os << ' ' << number << " | " << shownLine << '\n'
       << ' ' << std::string(number.size(), ' ') << " | " << caret << "^\n";
  }
  if (shown > limit)
    os << zrep::printable(file_.name(), file_.name().size() + 1) << ": "
       << shown - limit << " more errors not shown\n";
}

bool checkEncoding(const SourceFile &file, Diagnostics &diags) {
  const std::string &text = file.text();
  auto p = reinterpret_cast<const unsigned char *>(text.data());
  // UTF-8 without NUL characters, which the texts of a repository cannot
  // hold (they end at a NUL).
  for (std::size_t at = 0; at < text.size();) {
    // Eight bytes at a time while they are ASCII and none is NUL.
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::uint64_t eight;
    if (at + 8 <= text.size() &&
        (std::memcpy(&eight, p + at, 8),
         !(eight & kHighs) && !((eight - kOnes) & ~eight & kHighs))) {
      at += 8;
      continue;
    }
    if (p[at] == 0) {
      diags.error(static_cast<std::uint32_t>(at),
                  "a NUL character, which a repository cannot hold");
      return false;
    }
    char32_t cp;
    std::size_t n =
        p[at] < 0x80 ? 1 : zrep::utf8::decode(p + at, p + text.size(), cp);
    if (n == 0) {
      diags.error(static_cast<std::uint32_t>(at),
                  "the file is not UTF-8 text from here on");
      return false;
    }
    at += n;
  }
  return true;
}

namespace {

std::size_t editDistance(std::string_view a, std::string_view b,
                         std::size_t bound) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0], best = row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t up = row[j];
      bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                  std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({up + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = up;
      best = std::min(best, row[j]);
    }
    if (best > bound)
      return bound + 1;
  }
  return row[b.size()];
}

} // namespace

std::string_view closestName(std::string_view wrong,
                             const std::vector<std::string_view> &candidates) {
  // Up to a third of the name may be wrong; a name of one or two characters
  // is too short to tell what was meant.
  if (wrong.size() < 3)
    return {};
  std::size_t bound = (wrong.size() + 2) / 3;
  std::string_view best;
  std::size_t bestDistance = bound + 1;
  for (std::string_view c : candidates) {
    if (c.empty() || c == wrong ||
        (c.size() > wrong.size() ? c.size() - wrong.size()
                                 : wrong.size() - c.size()) > bound)
      continue;
    std::size_t d = editDistance(wrong, c, bound);
    if (d < bestDistance) {
      bestDistance = d;
      best = c;
    }
  }
  return best;
}

std::string didYouMean(std::string_view wrong,
                       const std::vector<std::string_view> &candidates) {
  std::string_view best = closestName(wrong, candidates);
  return best.empty() ? std::string()
                      : "; did you mean '" + std::string(best) + "'?";
}

} // namespace notation
