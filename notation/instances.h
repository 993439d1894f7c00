//===- instances.h - Instance models as notation text -----------*- C++ -*-===//
//
// An instance model (a repository of a metamodel made at run time from a
// metamodel script) written as text: `instances { NAME: CLASS { attr =
// VALUE; role -> NAME, ...; } ... }`. Object names exist only in the text;
// the import gives ids in text order, the export makes names from each
// object's class and place, or from its `name` attribute.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository.h"
#include "source.h"

#include <memory>
#include <string>

namespace notation {

/// Reads an instance model of `mm`. Every error of the text is reported,
/// then, when there is none, the multiplicities and containment that the
/// repository loader checks; the result is null after any error.
std::unique_ptr<zrep::Repository>
importInstances(const SourceFile &file, Diagnostics &diags,
                std::shared_ptr<const zrep::Metamodel> mm);

/// Writes the objects of `repo` as canonical text: the same repository
/// always gives the same text, and importing it gives the same objects in
/// the same order, with the same values and the same partner lists.
std::string exportInstances(const zrep::Repository &repo);

} // namespace notation
