//===- load_warnings.h - Values that load but mislead ------------*- C++
//-*-===//
#pragma once

#include <iosfwd>
#include <string>

namespace zrep {
class Repository;
}

namespace zevac {

/// Prints a warning for each value of a loaded repository that is valid
/// but will not mean what it seems to:
///
/// - a Boolean attribute whose text is not "true", "false" or "1" (such as
///   "True" or "yes"), which reads as false;
/// - a "constraint" or "expr" text in which a line feed takes a character
///   other than a carriage return or a blank with it: the expression lexer
///   takes a line feed together with the character before it (none at the
///   start of a text, after a string constant or after another line feed),
///   so that character is lost.
///
/// Each is one line, "FILE: warning: object #ID (CLASS) attribute NAME:
/// WHAT", in the order of the objects. Returns the number printed.
int printLoadWarnings(const zrep::Repository &repo, const std::string &file,
                      std::ostream &out);

} // namespace zevac
