//===- schema.h - Metamodel ids that the notation reads and writes -*- C++
//-*-===//
//
// The class, attribute and end ids of the source-side metamodel, looked up
// once, so that importing and exporting never look a name up per object.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "metamodel.h"

namespace notation {

using zrep::TypeId;

struct Schema {
  explicit Schema(const zrep::Metamodel &mm);
  static const Schema &builtin();

  const zrep::Metamodel &mm;

  // Classes.
  TypeId project, kNamed, kPackage, kModel, kType, kClass, kPrimitive, kEnum,
      kAssoc, kProperty, kLiteral, kGeneralization;
  TypeId zPackageable, zPackage, zModel, zProcedure, zProc, zExternal,
      zProcElement, zReferencable, zParameter, zVariable, zDef, zElement,
      zFlowEnd, zStart, zEnd, zCall, zDecision, zRule, zText, zContainer, zLoop,
      zForeach, zWhile, zFlow, zLink, zAssocLink, zAnnotation, zCallParam,
      zAssignment;

  // Attributes.
  TypeId projName, projPath;
  TypeId kName, kIsAbstract, kLower, kUpper, kIsOrdered, kIsComposite;
  TypeId zName, zDoNotCompile, zIsUnit, zCompileThis, zDebugOn, zIsMain,
      zRefName, zParamNumber, zInOut, zElemType, zElemCard, zConstraint,
      zTextConstraint, zNotFixed, zIsElse, zLinkType, zLinkCard, zAnnText,
      zArgNumber, zArgExpr, zAssignExpr;

  // Ends, as seen from the first class named.
  TypeId kOwnedMember, kOwningPackage, kOwnedAttribute, kPropertyClass,
      kGeneralizationOf, kSpecific, kGeneral, kPropertyType, kMemberEnd,
      kPropertyAssociation, kOwnedLiteral, kLiteralEnum;
  TypeId zOwnedMember, zOwningPackage, zOwnedElement, zOwningProcedure,
      zReturnType, zParams, zParamOf, zType, zAssignments, zAssignedElement,
      zDef_, zReferElem, zAnnotationOf, zAnnotatedElement, zLinkFrom, zLinkTo,
      zSourceProp, zDestProp, zOwnedElem, zOwningRule, zOwnedLink,
      zLinkOwningRule, zFlowFrom, zFlowTo, zFlowSource, zFlowDestination,
      zOwnedFlowEnd, zOwningContainer, zLoophead, zHeadOf, zProc_, zCallParams,
      zParamCall, zOwnedAssign, zOwningDecision, zAttribute, zFlowend, zDefines;
};

} // namespace notation
