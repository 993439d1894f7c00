//===- metamodel_meanings.cpp - What the user-written members mean --------===//
//
// One line for each attribute and association end of the class model, the
// transformation and the project that a user writes in a repository file:
// what the compiler makes of it. Ends that only the compiler writes say so.
//
//===----------------------------------------------------------------------===//

#include "metamodel_print.h"

#include <string>
#include <unordered_map>

namespace zevac {

namespace {

struct Meaning {
  const char *member; ///< "Class.member", the class that declares it.
  const char *text;
};

const Meaning kMeanings[] = {
    // The class model.
    {"Kernel::NamedElement.name",
     "The name; Kel names are built from it (Kernel package names in lower "
     "case: library::Book)."},
    {"Kernel::NamedElement.owningPackage", "The package that contains it."},
    {"Kernel::Package.ownedMember",
     "The packages, classes, types and associations it contains."},
    {"Kernel::Type.typed", "The properties of this type."},
    {"Kernel::Type.returningProcedure",
     "The procedures that return this type."},
    {"Kernel::Type.typedElement",
     "The parameters, variables and definitions of this type."},
    {"Kernel::Class.isAbstract",
     "No object of the class itself can be created (message 79)."},
    {"Kernel::Class.ownedAttribute",
     "Its properties: attributes, and the association ends by which it "
     "reaches other classes."},
    {"Kernel::Class.generalization",
     "The generalizations in which it is the subclass (their general is its "
     "superclass)."},
    {"Kernel::Class.specialization",
     "The generalizations in which it is the superclass."},
    {"Kernel::Enumeration.ownedLiteral", "Its literals, in order."},
    {"Kernel::Association.memberEnd",
     "Its two ends; a composite end is written first in MMscript.txt."},
    {"Kernel::Property.lower",
     "Lower bound of the multiplicity in MMscript.txt: 0, or 1 for any "
     "other value."},
    {"Kernel::Property.upper",
     "Upper bound of the multiplicity in MMscript.txt: 1, or many for any "
     "other value (-1)."},
    {"Kernel::Property.isOrdered", "The end keeps its partners in order."},
    {"Kernel::Property.isComposite",
     "The end owns its partners (a composition in MMscript.txt)."},
    {"Kernel::Property.class", "The class that owns the property."},
    {"Kernel::Property.type",
     "Its type: a primitive type or enumeration for an attribute, a class "
     "for an association end."},
    {"Kernel::Property.association", "The association whose end it is."},
    {"Kernel::Property.sourceOfLink", "Links that name it as sourceProp."},
    {"Kernel::Property.destOfLink", "Links that name it as destProp."},
    {"Kernel::Property.assignedBy", "Assignments that set it."},
    {"Kernel::EnumerationLiteral.enumeration",
     "The enumeration it belongs to."},
    {"Kernel::Generalization.specific", "The subclass."},
    {"Kernel::Generalization.general", "The superclass."},

    // The transformation.
    {"ZEVA::PackageableElement.name",
     "The name; a procedure's Kel name joins the names of its packages below "
     "the model and its own with _ (lib_main)."},
    {"ZEVA::PackageableElement.doNotCompile",
     "Leaves out the element and everything in it; a call of such a "
     "procedure is left out without a message."},
    {"ZEVA::PackageableElement.owningPackage", "The package that contains it."},
    {"ZEVA::Package.isUnit",
     "The package is a compilation unit: one Kel Transformation with the "
     "procedures in it and in its packages that are not units."},
    {"ZEVA::Package.compileThis",
     "With isUnit: the unit is compiled in this run."},
    {"ZEVA::Package.ownedMember",
     "The packages and procedures it contains, in the order they are "
     "compiled."},
    {"ZEVA::Procedure.params",
     "Its parameters. The compiler adds them for a ZEVA procedure when it "
     "compiles it; calls are checked against them, so a procedure called "
     "before it is compiled lists them here."},
    {"ZEVA::Procedure.calledBy", "The call statements that call it."},
    {"ZEVA::ZEVAprocedure.debugOn",
     "Compiles the procedure with commands that write a trace of its run to "
     "debug.txt."},
    {"ZEVA::ZEVAprocedure.isMain",
     "The program's main procedure, called by the main function; one per "
     "run (message 50)."},
    {"ZEVA::ZEVAprocedure.ownedElement",
     "Every element of its diagram: parameters, variables, definitions, "
     "class elements and links of its rules, flow ends (those in loops too) "
     "and flows."},
    {"ZEVA::ZEVAprocedure.returnType",
     "The type of the value it returns, if it is a function."},
    {"ZEVA::ZEVAprocedure.defines",
     "Written by the compiler: the parameters, variables and definitions "
     "that its expressions can name."},
    {"ZEVA::ZEVAprocedure.flowend", "Written by the compiler: its flow ends."},
    {"ZEVA::FlowEnd.flowendOf", "Written by the compiler."},
    {"ZEVA::ProcedureElement.owningProcedure",
     "The procedure whose diagram it is in."},
    {"ZEVA::ProcedureElement.annotation",
     "Notes; the texts single and start on a class element and c on a link "
     "steer the order of the pattern search."},
    {"ZEVA::ReferencableElement.refName",
     "The name by which expressions refer to it; also its Kel name."},
    {"ZEVA::ReferencableElement.definedIn", "Written by the compiler."},
    {"ZEVA::ReferencableElement.type",
     "Its type: a Kernel::Class makes a pointer, a primitive type or "
     "enumeration a value."},
    {"ZEVA::ReferencableElement.assignment", "Assignments to it."},
    {"ZEVA::ReferencableElement.referencedBy",
     "Class elements that stand for it."},
    {"ZEVA::Parameter.paramNumber",
     "Its position, from 1 and without gaps; a parameter after a gap is "
     "left out."},
    {"ZEVA::Parameter.inOut",
     "Passed by reference: an assignment to it reaches the caller."},
    {"ZEVA::Parameter.procedure", "The procedure whose parameter it is."},
    {"ZEVA::ClassElementDef.classElement", "The class elements that bind it."},
    {"ZEVA::ClassElement.ElemType",
     "Normal: the rule finds a matching object; Delete: finds it and "
     "deletes it; Create: makes it; LoopVariable: the object a foreach loop "
     "iterates over."},
    {"ZEVA::ClassElement.CardConstraint",
     "NOT: the rule matches only where no such object exists (a NOT element "
     "must be Normal)."},
    {"ZEVA::ClassElement.constraint",
     "A condition on the object, over its attributes and the procedure's "
     "names (stock = 0)."},
    {"ZEVA::ClassElement.def",
     "The definition (refName and class) of the variable that the element "
     "binds to the object found or made."},
    {"ZEVA::ClassElement.referElem",
     "The parameter, variable or definition that holds the object already: "
     "a reference element, the start of the search."},
    {"ZEVA::ClassElement.source", "Links that start here."},
    {"ZEVA::ClassElement.destination", "Links that end here."},
    {"ZEVA::ClassElement.owningRule", "The rule whose pattern holds it."},
    {"ZEVA::FlowEnd.source", "Flows that leave it."},
    {"ZEVA::FlowEnd.destination", "Flows that arrive at it."},
    {"ZEVA::FlowEnd.owningContainer", "The loop whose body it is in."},
    {"ZEVA::CallStatement.proc", "The procedure it calls."},
    {"ZEVA::CallStatement.params",
     "The values it passes, one CallParam for each parameter of the called "
     "procedure."},
    {"ZEVA::DecisionStatement.ownedAssign",
     "The assignments it owns: a text statement makes them when its "
     "constraint holds; a rule makes the assignments of its class elements "
     "and only owns them."},
    {"ZEVA::Rule.ownedElem",
     "Its class elements: the pattern and what the rule creates."},
    {"ZEVA::Rule.ownedLink", "Its links between class elements."},
    {"ZEVA::Rule.loop", "The loop it heads."},
    {"ZEVA::TextStatement.constraint",
     "A condition: when it holds (or is empty) the assignments are made and "
     "the normal flow is taken, otherwise the ELSE flow."},
    {"ZEVA::FlowEndContainer.ownedFlowEnd",
     "The flow ends in the loop, its loophead included; each is also in the "
     "procedure's ownedElement."},
    {"ZEVA::Loop.loophead",
     "The rule that heads the loop: a foreach loop runs once for each object "
     "of its loop variable that matches; a while loop runs while it "
     "matches."},
    {"ZEVA::ForeachLoop.notFixed",
     "When true the loop is not compiled (only its loophead's label is "
     "left); leave it false."},
    {"ZEVA::Flow.isElse",
     "The ELSE flow: taken when a rule's pattern does not match or a text "
     "statement's constraint does not hold."},
    {"ZEVA::Flow.from", "The flow end it leaves."},
    {"ZEVA::Flow.to", "The flow end it leads to."},
    {"ZEVA::Link.from", "The class element it starts at."},
    {"ZEVA::Link.to", "The class element it ends at."},
    {"ZEVA::Link.owningRule", "The rule that owns it."},
    {"ZEVA::AssocLink.AssocLinkType",
     "Normal: the pattern needs the link; Delete: needs it and deletes it; "
     "Create: the rule makes it."},
    {"ZEVA::AssocLink.CardConstraint",
     "NOT: the pattern needs the link to be missing (a NOT link must be "
     "Normal)."},
    {"ZEVA::AssocLink.sourceProp",
     "The end by which the to element reaches the from element "
     "(Member.library on a link from a Library to a Member)."},
    {"ZEVA::AssocLink.destProp",
     "The end by which the from element reaches the to element "
     "(Library.members on a link from a Library to a Member)."},
    {"ZEVA::Annotation.text", "The note (see annotation)."},
    {"ZEVA::Annotation.annotatedElement", "The element it is about."},
    {"ZEVA::CallParam.paramNumber",
     "The number of the parameter it is passed for."},
    {"ZEVA::CallParam.expr",
     "The value: the refName of a variable or parameter (a leading @ is "
     "dropped), or an expression."},
    {"ZEVA::CallParam.call", "The call statement."},
    {"ZEVA::Assignment.expr",
     "The value, an expression over the element's attributes and the "
     "procedure's names; NULL empties the attribute."},
    {"ZEVA::Assignment.assignedElement",
     "The class element, variable or parameter it assigns."},
    {"ZEVA::Assignment.owningDecision",
     "The rule or text statement that owns it."},
    {"ZEVA::Assignment.attribute",
     "The property it sets; without it the whole variable or pointer is "
     "assigned."},

    // The project and the messages.
    {"project::Project.path",
     "The project file: without its last 11 characters (the file name, as "
     "in Project.zvp) it is the folder under which the compiler writes "
     ".zeva/MODEL/kel/."},
    {"project::Project.name",
     "The project's name; a ZEVA::Model compiled as a unit is named after "
     "it."},
    {"Utility::CompilerMessages.text",
     "Written by the compiler: the message number and text."},
    {"Utility::CompilerMessages.CompilerMessageType",
     "Written by the compiler: Error or Warning."},
    {"Utility::CompilerMessages.element",
     "Written by the compiler: the element the message is about."},
};

} // namespace

const char *memberMeaning(const std::string &cls, const std::string &member,
                          const std::string &target) {
  if (member == "compilerMessage")
    return "Written by the compiler: the messages about this element.";
  // The classes of the Kel program have no package: an end from a model
  // class to one of them is the compiler's.
  if (cls.find("::") != std::string::npos && !target.empty() &&
      target.find("::") == std::string::npos)
    return "Written by the compiler.";
  static const std::unordered_map<std::string, const char *> byName = [] {
    std::unordered_map<std::string, const char *> m;
    for (const Meaning &e : kMeanings)
      m.emplace(e.member, e.text);
    return m;
  }();
  auto it = byName.find(cls + "." + member);
  return it == byName.end() ? nullptr : it->second;
}

} // namespace zevac
