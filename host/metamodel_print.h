//===- metamodel_print.h - Print the built-in metamodel ---------*- C++ -*-===//
#pragma once

#include <iosfwd>

namespace zrep {
class Metamodel;
}

namespace zevac {

/// {"classes": [...], "enumerations": [...]}; own attributes and ends per
/// class; the ends every class has are listed on the root classes, and an end
/// that may lead to any class has the target null.
void printMetamodelJson(const zrep::Metamodel &mm, std::ostream &out);
/// The same content as Markdown, one section per class.
void printMetamodelMarkdown(const zrep::Metamodel &mm, std::ostream &out);

} // namespace zevac
