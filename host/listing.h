//===- listing.h - Readable listing of the Kel program model ----*- C++ -*-===//
#pragma once

#include <iosfwd>

namespace zrep {
class Repository;
}

namespace zevac {

/// Writes every "Transformation" in repository order: directives, global
/// definitions, then each procedure with its parameters, definitions and
/// command chain, nested blocks indented and expressions in infix form.
/// A repository without a Transformation gives the line "// no Kel program".
/// Broken chains end in a "<cycle>" or "<shared #ID>" marker and empty
/// required attributes show as "<missing>", so any model can be listed.
void printListing(const zrep::Repository &repo, std::ostream &out);

/// Writes one "ProcFunct" in the same form, unindented; for golden tests.
void printProcFunctListing(const zrep::Repository &repo, int procFunct,
                           std::ostream &out);

/// Writes the chain of commands that starts at `kom` ("next1"), up to
/// `last` when it is given, one command a line as in a procedure body; for
/// golden tests.
void printCommandsListing(const zrep::Repository &repo, int kom,
                          std::ostream &out, int last = 0);

} // namespace zevac
