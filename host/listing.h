//===- listing.h - Readable listing of the Kel program model ----*- C++ -*-===//
#pragma once

#include <iosfwd>
#include <string>

namespace zrep {
class Repository;
}

namespace zevac {

/// Receives a listing line by line, and where the lines of each command
/// begin and end: a command's lines are those between its beginCommand and
/// endCommand, nested commands' lines included.
class ListingObserver {
public:
  virtual ~ListingObserver() = default;
  /// One line without indentation or line feed, nested `depth` levels (two
  /// blanks each in the printed listing).
  virtual void line(int depth, const std::string &text) = 0;
  virtual void beginCommand(int kom);
  virtual void endCommand(int kom);
};

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

/// The first lines of a "Transformation" in the listing (its name,
/// directives and global definitions), at depth 0 and 1.
void listTransformationHead(const zrep::Repository &repo, int transformation,
                            ListingObserver &out);

/// The lines of one "ProcFunct" as printProcFunctListing prints them, with
/// the commands they belong to.
void listProcFunct(const zrep::Repository &repo, int procFunct,
                   ListingObserver &out);

} // namespace zevac
