//===- metamodel_print.h - Print the built-in metamodel ---------*- C++ -*-===//
#pragma once

#include <iosfwd>
#include <string>

namespace zrep {
class Metamodel;
}

namespace zevac {

/// {"classes": [...], "enumerations": [...]}; own attributes and ends per
/// class; the ends every class has are listed on the root classes, and an end
/// that may lead to any class has the target null.
void printMetamodelJson(const zrep::Metamodel &mm, std::ostream &out);
/// The same content as Markdown, one section per class, each attribute and
/// end that a user writes followed by what it means.
void printMetamodelMarkdown(const zrep::Metamodel &mm, std::ostream &out);

/// What `member` of class `cls` (the class that declares it) means, in one
/// sentence; `target` is an end's target class, empty for an attribute.
/// Null for the members of the Kel program's classes.
const char *memberMeaning(const std::string &cls, const std::string &member,
                          const std::string &target);

} // namespace zevac
