//===- explain.h - Explanations of the compiler messages --------*- C++ -*-===//
#pragma once

#include <string>
#include <string_view>

namespace zevac {

/// The argument of `zevac explain` that explains a stored message text
/// ("57 - A rule is empty!" gives "57", the crash guard gives "crash");
/// empty for a text that has no explanation.
std::string explainTopic(std::string_view storedText);

/// The note printed once after the compiler messages, pointing to
/// `zevac explain` for `topic` (as from explainTopic; empty: the list).
std::string explainHint(const std::string &topic);

} // namespace zevac
