//===- names.h - Names of source elements in the Kel program ----*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Names of owning packages and the element joined by "_", the model root
/// left out ("a_b_p"); the model itself is named after the project.
std::string GetZEVAElementFullName(Kel_Var_2 element)
    KEL_FUNC(GetZEVAElementFullName);
/// The Kel type name of a class-model element: owning packages (in lower
/// case) and the name joined by "::", the model root left out ("pk::C").
std::string GetKernelElementFullName(Kel_Var_2 element)
    KEL_FUNC(GetKernelElementFullName);
/// The project's output folder, ending in "/"; empty without a project or
/// a model.
std::string GetProjectPath() KEL_FUNC(GetProjectPath);
/// Whether the model's name is one folder's name ("/", "." and ".." are
/// not), so that GetProjectPath lies below the project's folder.
bool IsProjectPathBelowProject();
/// `name` without a leading "@".
std::string ExtractRefVarName(std::string name) KEL_FUNC(ExtractRefVarName);

/// The element's own definition ("def") or else the element it refers to.
bool GetClassElementSource(Kel_Var_2 element, Kel_Var_2 &source)
    KEL_FUNC(GetClassElementSource);
std::string GetClassElementName(Kel_Var_2 element)
    KEL_FUNC(GetClassElementName);
std::string GetReferencableElementName(Kel_Var_2 element)
    KEL_FUNC(GetReferencableElementName);
bool GetReferencableElementType(Kel_Var_2 element, Kel_Var_2 &type)
    KEL_FUNC(GetReferencableElementType);

/// "*", "0..1", "1" or "1..*" from the property's bounds.
std::string GetPropertyCardinality(Kel_Var_2 property)
    KEL_FUNC(GetPropertyCardinality);
/// "{ordered}" or empty.
std::string GetPropertyOrderingString(Kel_Var_2 property)
    KEL_FUNC(GetPropertyOrderingString);
std::string GetPropertyName(Kel_Var_2 property) KEL_FUNC(GetPropertyName);
/// The trimmed name, or a generated "_" name (one counter number) when
/// blank.
std::string GetPropertyNameGen(Kel_Var_2 property) KEL_FUNC(GetPropertyNameGen);
/// The name of the link's source (`direction` true) or destination end.
std::string GetAssocLinkRoleName(bool direction, Kel_Var_2 link)
    KEL_FUNC(GetAssocLinkRoleName);

} // namespace zeva
