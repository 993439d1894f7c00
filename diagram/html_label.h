//===- html_label.h - Building Graphviz HTML-like labels --------*- C++ -*-===//
#pragma once

#include <string>
#include <string_view>

namespace zdiagram {

/// Lines of an HTML-like label; each line's text must be escaped already
/// (html_text.h). A line break after each line sets its alignment.
class HtmlLabel {
public:
  enum Align { Center, Left };
  HtmlLabel &line(std::string_view html, Align align = Center) {
    text_ += html;
    text_ += align == Left ? "<BR ALIGN=\"LEFT\"/>" : "<BR/>";
    ++lines_;
    return *this;
  }
  /// A line in the monospaced font of expressions.
  HtmlLabel &code(std::string_view html) {
    std::string s = "<FONT FACE=\"Courier\" POINT-SIZE=\"10\">";
    s += html.empty() ? std::string_view(" ") : html;
    s += "</FONT>";
    return line(s, Left);
  }
  bool empty() const { return lines_ == 0; }
  const std::string &str() const { return text_; }

private:
  std::string text_;
  std::size_t lines_ = 0;
};

} // namespace zdiagram
