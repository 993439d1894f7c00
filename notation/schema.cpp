//===- schema.cpp - Metamodel ids that the notation reads and writes ------===//

#include "schema.h"

namespace notation {

Schema::Schema(const zrep::Metamodel &m) : mm(m) {
  auto cls = [&](const char *name) { return mm.classId(name); };
  auto attr = [&](TypeId c, const char *name) { return mm.attrId(c, name); };
  auto end = [&](TypeId c, const char *role) { return mm.endId(c, role); };

  project = cls("project::Project");
  kNamed = cls("Kernel::NamedElement");
  kPackage = cls("Kernel::Package");
  kModel = cls("Kernel::Model");
  kType = cls("Kernel::Type");
  kClass = cls("Kernel::Class");
  kPrimitive = cls("Kernel::PrimitiveType");
  kEnum = cls("Kernel::Enumeration");
  kAssoc = cls("Kernel::Association");
  kProperty = cls("Kernel::Property");
  kLiteral = cls("Kernel::EnumerationLiteral");
  kGeneralization = cls("Kernel::Generalization");
  zPackageable = cls("ZEVA::PackageableElement");
  zPackage = cls("ZEVA::Package");
  zModel = cls("ZEVA::Model");
  zProcedure = cls("ZEVA::Procedure");
  zProc = cls("ZEVA::ZEVAprocedure");
  zExternal = cls("ZEVA::ExternalProcedure");
  zProcElement = cls("ZEVA::ProcedureElement");
  zReferencable = cls("ZEVA::ReferencableElement");
  zParameter = cls("ZEVA::Parameter");
  zVariable = cls("ZEVA::Variable");
  zDef = cls("ZEVA::ClassElementDef");
  zElement = cls("ZEVA::ClassElement");
  zFlowEnd = cls("ZEVA::FlowEnd");
  zStart = cls("ZEVA::Start");
  zEnd = cls("ZEVA::End");
  zCall = cls("ZEVA::CallStatement");
  zDecision = cls("ZEVA::DecisionStatement");
  zRule = cls("ZEVA::Rule");
  zText = cls("ZEVA::TextStatement");
  zContainer = cls("ZEVA::FlowEndContainer");
  zLoop = cls("ZEVA::Loop");
  zForeach = cls("ZEVA::ForeachLoop");
  zWhile = cls("ZEVA::WhileLoop");
  zFlow = cls("ZEVA::Flow");
  zLink = cls("ZEVA::Link");
  zAssocLink = cls("ZEVA::AssocLink");
  zAnnotation = cls("ZEVA::Annotation");
  zCallParam = cls("ZEVA::CallParam");
  zAssignment = cls("ZEVA::Assignment");

  projName = attr(project, "name");
  projPath = attr(project, "path");
  kName = attr(kNamed, "name");
  kIsAbstract = attr(kClass, "isAbstract");
  kLower = attr(kProperty, "lower");
  kUpper = attr(kProperty, "upper");
  kIsOrdered = attr(kProperty, "isOrdered");
  kIsComposite = attr(kProperty, "isComposite");
  zName = attr(zPackageable, "name");
  zDoNotCompile = attr(zPackageable, "doNotCompile");
  zIsUnit = attr(zPackage, "isUnit");
  zCompileThis = attr(zPackage, "compileThis");
  zDebugOn = attr(zProc, "debugOn");
  zIsMain = attr(zProc, "isMain");
  zRefName = attr(zReferencable, "refName");
  zParamNumber = attr(zParameter, "paramNumber");
  zInOut = attr(zParameter, "inOut");
  zElemType = attr(zElement, "ElemType");
  zElemCard = attr(zElement, "CardConstraint");
  zConstraint = attr(zElement, "constraint");
  zTextConstraint = attr(zText, "constraint");
  zNotFixed = attr(zForeach, "notFixed");
  zIsElse = attr(zFlow, "isElse");
  zLinkType = attr(zAssocLink, "AssocLinkType");
  zLinkCard = attr(zAssocLink, "CardConstraint");
  zAnnText = attr(zAnnotation, "text");
  zArgNumber = attr(zCallParam, "paramNumber");
  zArgExpr = attr(zCallParam, "expr");
  zAssignExpr = attr(zAssignment, "expr");

  kOwnedMember = end(kPackage, "ownedMember");
  kOwningPackage = end(kNamed, "owningPackage");
  kOwnedAttribute = end(kClass, "ownedAttribute");
  kPropertyClass = end(kProperty, "class");
  kGeneralizationOf = end(kClass, "generalization");
  kSpecific = end(kGeneralization, "specific");
  kGeneral = end(kGeneralization, "general");
  kPropertyType = end(kProperty, "type");
  kMemberEnd = end(kAssoc, "memberEnd");
  kPropertyAssociation = end(kProperty, "association");
  kOwnedLiteral = end(kEnum, "ownedLiteral");
  kLiteralEnum = end(kLiteral, "enumeration");
  zOwnedMember = end(zPackage, "ownedMember");
  zOwningPackage = end(zPackageable, "owningPackage");
  zOwnedElement = end(zProc, "ownedElement");
  zOwningProcedure = end(zProcElement, "owningProcedure");
  zReturnType = end(zProc, "returnType");
  zParams = end(zProcedure, "params");
  zParamOf = end(zParameter, "procedure");
  zType = end(zReferencable, "type");
  zAssignments = end(zReferencable, "assignment");
  zAssignedElement = end(zAssignment, "assignedElement");
  zDef_ = end(zElement, "def");
  zReferElem = end(zElement, "referElem");
  zAnnotationOf = end(zProcElement, "annotation");
  zAnnotatedElement = end(zAnnotation, "annotatedElement");
  zLinkFrom = end(zLink, "from");
  zLinkTo = end(zLink, "to");
  zSourceProp = end(zAssocLink, "sourceProp");
  zDestProp = end(zAssocLink, "destProp");
  zOwnedElem = end(zRule, "ownedElem");
  zOwningRule = end(zElement, "owningRule");
  zOwnedLink = end(zRule, "ownedLink");
  zLinkOwningRule = end(zLink, "owningRule");
  zFlowFrom = end(zFlow, "from");
  zFlowTo = end(zFlow, "to");
  zFlowSource = end(zFlowEnd, "source");
  zFlowDestination = end(zFlowEnd, "destination");
  zOwnedFlowEnd = end(zContainer, "ownedFlowEnd");
  zOwningContainer = end(zFlowEnd, "owningContainer");
  zLoophead = end(zLoop, "loophead");
  zHeadOf = end(zRule, "loop");
  zProc_ = end(zCall, "proc");
  zCallParams = end(zCall, "params");
  zParamCall = end(zCallParam, "call");
  zOwnedAssign = end(zDecision, "ownedAssign");
  zOwningDecision = end(zAssignment, "owningDecision");
  zAttribute = end(zAssignment, "attribute");
  zFlowend = end(zProc, "flowend");
  zDefines = end(zProc, "defines");
}

const Schema &Schema::builtin() {
  static const Schema schema(zrep::Metamodel::builtin());
  return schema;
}

} // namespace notation
