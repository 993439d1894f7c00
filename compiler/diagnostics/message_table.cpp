//===- message_table.cpp - The table of compiler messages -----------------===//
//
// The only place that holds message texts and severities; compiler code names
// a message by its number through printError.
//
//===----------------------------------------------------------------------===//

#include "message_table.h"

#include <algorithm>
#include <iterator>

namespace zeva {

namespace {

constexpr bool E = false, W = true;
constexpr bool N = true; // the row has a name place

// clang-format off
constexpr MessageRow kMessages[] = {
  {1, E, "The parameter has no type specification!", false, ""},
  {2, E, "The parameter has no type specification!", false, ""},
  {3, E, "The variable has no type specification!", false, ""},
  {4, E, "The function toEnum used in a non-enumeration expression!", false, ""},
  {5, E, "Too much parameters in a call of the toEnum!", false, ""},
  {6, E, "No parameters in a call of the toEnum!", false, ""},
  {7, E, "There are multiple identical outgoing flows from the flowend!", false, ""},
  {8, E, "Too much parameters in a call of the ", N, " function!"},
  {9, E, "No parameters in a call of the ", N, " function!"},
  {10, E, "Not enough parameters in a call of the indexOf function!", false, ""},
  {11, E, "Too much parameters in a call of the indexOf function!", false, ""},
  {12, E, "Not enough parameters in a call of the substring function!", false, ""},
  {13, E, "Too much parameters in a call of the substring function!", false, ""},
  {14, E, "An expression formation error in a call of the toString function!", false, ""},
  {15, E, "A String expression in a call of the toString function!", false, ""},
  {16, E, "A class-typed expression in a call of the toString function!", false, ""},
  {17, E, "A simple expression contains prohibited symbol (>,<,>=,<=,=,<>,.,comma(,),and,or,not)!", false, ""},
  {18, E, "A type mismatch in an expression by attribute specification \"", N, "\" !"},
  {19, E, "A type mismatch in an expression by referencable element specification \"", N, "\" !"},
  {20, E, "An unknown identifier \"", N, "\" !"},
  {21, E, "An unknown enumeration literal \"", N, "\" !"},
  {22, E, "No left side in a relation!", false, ""},
  {23, E, "No right side in a relation!", false, ""},
  {24, E, "Bracket error in a Boolean expression!", false, ""},
  {25, E, "OR has no right operand!", false, ""},
  {26, E, "OR has no left operand!", false, ""},
  {27, E, "AND has no right operand!", false, ""},
  {28, E, "AND has no left operand", false, ""},
  {29, E, "NOT has no operand!", false, ""},
  {30, E, "An expression ends with the dot!", false, ""},
  {31, E, "The keyword SELF used not in a class element!", false, ""},
  {32, E, "An unknown identifier \"", N, "\" before a dot!"},
  {33, E, "A referencable element \"", N, "\" before a dot is not class-typed (pointer)!"},
  {34, E, "An identifier  \"", N, "\" after a dot is not attribute specification!"},
  {35, E, "Type mismatch by attribute specification \"", N, "\" !"},
  {36, E, "Incorrect syntax of the ", N, " method!"},
  {37, E, "Unknown type specification \"", N, "\" in a isTypeOf() method!"},
  {38, E, "Type mismatch by downcast \"", N, "\" !"},
  {39, E, "Unknown type specification \"", N, "\" in a isKindOf() method!"},
  {40, E, "Missing a pointer in a downcast \"", N, "\" !"},
  {41, E, "An unknown identifier \"", N, "\" in downcast!"},
  {42, E, "The type of the referencable element \"", N, "\" is not a class!"},
  {43, E, "Type mismatch in a downcast by referencable element \"", N, "\" !"},
  {44, E, "Missing right bracket in a downcast \"", N, "\" !"},
  {45, E, "Type mismatch by function \"", N, "\" !"},
  {46, E, "Type mismatch by constant \"", N, "\" !"},
  {47, E, "Type mismatch by operator \"", N, "\" !"},
  {48, E, "Bracket error!", false, ""},
  {49, E, "Right bracket missing in isTypeOf/isKindOf method!", false, ""},
  {50, E, "There are more than one main procedure!", false, ""},
  {51, E, "No called procedure set!", false, ""},
  {52, E, "The call parameter \"", N, "\" and the actual parameter have incompatible types!"},
  {53, E, "Not enough call parameters!", false, ""},
  {54, E, "Too many call parameters!", false, ""},
  {55, E, "No loop variable in the loophead", false, ""},
  {56, E, "A delete or normal association link is to a create class element!", false, ""},
  {57, E, "A rule is empty!", false, ""},
  {58, E, "A class element has no class specified!", false, ""},
  {59, E, "An association link has no association specified!", false, ""},
  {60, E, "A loop variable is reference!", false, ""},
  {61, E, "A NOT-element must be a normal class element!", false, ""},
  {62, E, "A NOT-link must be a normal association link!", false, ""},
  {63, E, "No loophead in a foreach loop!", false, ""},
  {64, W, "Nothing selected to compile!", false, ""},
  {65, E, "An unknown identifier \"", N, "\" in a constraint!"},
  {66, E, "No incoming control flow!", false, ""},
  {67, E, "The alternative(ELSE) outgoing control flow is not permitted!", false, ""},
  {68, E, "No outgoing control flow!", false, ""},
  {69, E, "The incoming control flow not permitted to loophead!", false, ""},
  {70, E, "No identifier after arrow(->) in an expression!", false, ""},
  {71, E, "An unknown identifier \"", N, "\" after arrow(->) in an expression!"},
  {72, E, "An identifier \"", N, "\" used in the isEmpty or notEmpty method is not property name!"},
  {73, E, "The opening bracket missing after isEmpty or notEmpty method!", false, ""},
  {74, E, "The closing bracket missing after isEmpty or notEmpty method!", false, ""},
  {75, E, "There is no loophead in a while-loop!", false, ""},
  {76, E, "Assigned element not set!", false, ""},
  {77, E, "Assigned property not set!", false, ""},
  {78, E, "Class element with non-class type!", false, ""},
  {79, E, "Creating instance of abstract class!", false, ""},
  {1001, E, "MODEL CONSISTENCE ERROR!!!!!!", false, ""},
};
// clang-format on

} // namespace

std::span<const MessageRow> allMessages() { return kMessages; }

const MessageRow *findMessage(int number) {
  auto it = std::lower_bound(
      std::begin(kMessages), std::end(kMessages), number,
      [](const MessageRow &row, int n) { return row.number < n; });
  return it != std::end(kMessages) && it->number == number ? &*it : nullptr;
}

} // namespace zeva
