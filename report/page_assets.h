//===- page_assets.h - Styles and script of the page ------------*- C++ -*-===//
#pragma once

namespace zreport {

/// The style sheet, for a <style> element.
extern const char *const kPageStyle;
/// The script, for a <script> element: message links highlight their
/// element, flow ends in a diagram highlight their listing lines.
extern const char *const kPageScript;

} // namespace zreport
