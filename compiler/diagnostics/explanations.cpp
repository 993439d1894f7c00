//===- explanations.cpp - What each compiler message means ----------------===//
//
// One explanation per message of the table: what in the model causes the
// message and how to fix it, for a user who has never seen the compiler.
// Plain ASCII, one paragraph each; the reader wraps them.
//
//===----------------------------------------------------------------------===//

#include "message_table.h"

#include <algorithm>
#include <iterator>

namespace zeva {

namespace {

constexpr Explanation kExplanations[] = {
    {1, "A parameter of an external procedure (a ZEVA::Parameter in the "
        "\"params\" list of a ZEVA::ExternalProcedure) has no \"type\" link, "
        "so it cannot be declared. Link its \"type\" to a Kernel::Class for "
        "an object, or to a Kernel::PrimitiveType or Kernel::Enumeration for "
        "a value. Message 2 has the same text and is the same fault in a "
        "ZEVA procedure; the number tells the two kinds of procedure apart. "
        "The parameters numbered after the untyped one are left out of the "
        "compiled parameter list."},
    {2, "A parameter of a ZEVA procedure (a ZEVA::Parameter in the "
        "\"ownedElement\" list of a ZEVA::ZEVAprocedure) has no \"type\" "
        "link, so it cannot be declared. Link its \"type\" to a Kernel::Class "
        "for an object, or to a Kernel::PrimitiveType or Kernel::Enumeration "
        "for a value. Message 1 has the same text and is the same fault in "
        "an external procedure. The parameter is unknown to the procedure's "
        "expressions, and the parameters numbered after it are left out of "
        "the compiled parameter list."},
    {3, "A variable (ZEVA::Variable) or class-element definition "
        "(ZEVA::ClassElementDef) in a procedure's \"ownedElement\" list has "
        "no \"type\" link, so it is not declared. Give it a \"type\": a "
        "Kernel::Class for an object, or a primitive type or enumeration for "
        "a value. Until then its \"refName\" is unknown to the expressions "
        "and rules that use it, which can cause further messages."},
    {4, "An expression calls toEnum(...), but the value is not expected to "
        "be an enumeration. toEnum turns a String into a literal of the "
        "enumeration that the receiving place expects, such as an attribute "
        "or variable whose type is a Kernel::Enumeration. Use toEnum only "
        "where an enumeration value is assigned, passed or compared, or drop "
        "it."},
    {5, "toEnum takes exactly one argument, the String with the literal's "
        "name, but this call passes more than one. Remove the extra "
        "arguments, as in toEnum(statusText)."},
    {6, "The call toEnum() has nothing between its brackets. Pass the String "
        "to convert, as in toEnum(statusText); the result is the literal of "
        "the expected enumeration with that name."},
    {7, "A flow end (a start node, rule, call, loop or text statement) has "
        "more than one outgoing ZEVA::Flow of the same kind: two normal "
        "flows, or two flows with \"isElse\" true. Control can only go one "
        "way, so the first flow in the flow end's \"source\" list is used and "
        "the others are ignored. Delete the extra flow, or make it the ELSE "
        "flow where one is allowed (rules and text statements)."},
    {8, "A built-in function that takes one argument (toInteger, size, "
        "toString, toLower, toUpper or toBoolean) was called with more than "
        "one. The message names the function as it is called in the compiled "
        "program: StrToInt for toInteger, Length for size, IntToStr, "
        "BoolToStr or EnumToStr for toString, StrToBool for toBoolean. Pass "
        "exactly one argument."},
    {9, "A built-in function that takes one argument (toInteger, size, "
        "toString, toLower, toUpper or toBoolean) was called with empty "
        "brackets. The message names the function as it is called in the "
        "compiled program: StrToInt for toInteger, Length for size, "
        "IntToStr, BoolToStr or EnumToStr for toString, StrToBool for "
        "toBoolean. Put the argument between the brackets."},
    {10, "indexOf(s, t) needs two String arguments separated by a comma: the "
         "text to search in and the text to find. This call has fewer, or an "
         "empty argument before or after the comma. Write both, as in "
         "indexOf(title, \"-\")."},
    {11, "indexOf(s, t) takes exactly two String arguments, but this call "
         "passes more. Remove the extra arguments."},
    {12, "substring(s, i) or substring(s, i, j) needs at least the String "
         "and the start position, separated by a comma; this call has fewer, "
         "or an empty argument. Positions count from 1, and without j the "
         "substring runs to the end of s. Write, for example, "
         "substring(title, 2)."},
    {13, "substring takes at most three arguments: the String, the start "
         "position and the end position (counting from 1, the end included). "
         "This call passes more; remove the extra ones."},
    {14, "toString(x) chooses its conversion from the type of its argument, "
         "which it reads from the argument's first name or constant; here "
         "that type could not be found. The argument starts with an unknown "
         "name, an operator, NULL, or a function whose result type is not "
         "fixed, such as toEnum. Make it begin with a declared variable, "
         "parameter, attribute or constant of type Boolean, Integer or an "
         "enumeration."},
    {15, "toString was given a String argument; it converts Boolean, Integer "
         "and enumeration values only. A String needs no conversion: use the "
         "value as it is."},
    {16, "toString was given an object: the argument has a class type, such "
         "as a pointer variable or a class element. Objects have no text "
         "form; convert one of the object's attributes instead, as in "
         "toString(book.pages) rather than toString(book)."},
    {17, "A value expression (an assignment's or call parameter's \"expr\", "
         "or one side of a comparison) contains a symbol that has no place "
         "in a value: a comparison sign, \":=\", a dot or \"->\" that does "
         "not follow a name, a comma outside function brackets, or one of "
         "the words and, or, not. Conditions belong in the \"constraint\" of "
         "a class element or text statement, and a comparison has only one "
         "comparison sign. There are no decimal numbers either: 1.5 is read "
         "as 1, a dot and 5."},
    {18, "In an expression of a class element (its constraint, or an "
         "assignment to it), the name in quotes is an attribute of the "
         "element's class, but its type does not fit the type expected "
         "here, for example a String attribute where an Integer is needed. "
         "Primitive types and enumerations fit only themselves; an object "
         "fits where its own class or a superclass of it is expected. Convert "
         "the value with a built-in function such as toString or toInteger, "
         "or use another attribute."},
    {19, "The name in quotes is a parameter, variable or class-element "
         "definition of the procedure, but its type does not fit the type "
         "expected here. Primitive types and enumerations fit only "
         "themselves; an object fits where its own class or a superclass of "
         "it is expected, never a subclass. Use an element of the expected "
         "type, convert the value, or downcast an object with "
         "Class(pointer)."},
    {20, "The name in quotes matches nothing the compiler knows: it is not "
         "an attribute of the class element's class, not the \"refName\" of "
         "a typed parameter, variable or class-element definition of the "
         "same procedure, and, when it stands before \"(\", neither a "
         "built-in function nor a class to downcast to. Check the spelling "
         "(names of variables, attributes and functions are case-sensitive) "
         "and that the element belongs to this procedure and has a type. A "
         "misspelled function such as tostring(x) also gives this message. "
         "A name cut short by one letter often comes from a line break: the "
         "expression lexer takes a line feed together with the character "
         "before it (the carriage return of the CR LF pair that the "
         "graphical editor stores), so in a text written with bare line "
         "feeds \"n = 1 and\\nn = 2\" loses the d of and; zevac check warns "
         "about such texts. End the lines with CR LF, or join them."},
    {21, "Where an enumeration value is expected, the name in quotes is "
         "neither an attribute, nor a declared variable or parameter, nor a "
         "literal of the expected Kernel::Enumeration (its \"ownedLiteral\" "
         "list; case is ignored when comparing literals). Check the spelling "
         "of the literal, and that the place it goes to has the enumeration "
         "type you mean."},
    {22, "A comparison in a condition (the \"constraint\" of a class element "
         "or of a text statement) has nothing before its comparison sign, as "
         "in \"= 1\". Write both sides, as in \"count = 1\"."},
    {23, "A comparison in a condition has nothing after its comparison sign: "
         "the constraint ends in a sign such as \"=\". Add the right side, a "
         "constant, name or expression of the same type as the left side. "
         "When the right side is there, look for a line break after it: the "
         "expression lexer takes a line feed together with the character "
         "before it (the carriage return of the CR LF pair that the "
         "graphical editor stores), so \"n = 1\" followed by a bare line "
         "feed loses the 1; zevac check warns about such texts. End the "
         "lines with CR LF, or remove the line break."},
    {24, "The brackets of a condition do not pair up: there is a \")\" "
         "without an earlier \"(\", or a \"(\" that is never closed. Count the "
         "brackets in the \"constraint\" text and add or remove the one that "
         "is wrong."},
    {25, "In a condition the word or is last, with nothing after it. Write "
         "the condition that should follow it, or remove the or. The "
         "operators and, or, not are written in lower case."},
    {26, "In a condition the word or comes first, with nothing before it. "
         "Write the condition that should come before it, or remove the or. "
         "The operators and, or, not are written in lower case."},
    {27, "In a condition the word and is last, with nothing after it. Write "
         "the condition that should follow it, or remove the and. The "
         "operators and, or, not are written in lower case."},
    {28, "In a condition the word and comes first, with nothing before it. "
         "Write the condition that should come before it, or remove the and. "
         "The operators and, or, not are written in lower case."},
    {29, "In a condition the word not is last, with nothing after it to "
         "negate. Write the condition after it, as in not (count = 0). Note "
         "that anything before a not is ignored unless an and or an or joins "
         "it to the not."},
    {30, "An expression ends with a name and a dot, as in \"book.\", so the "
         "attribute after the dot is missing. Add the attribute, as in "
         "book.title, or remove the dot."},
    {31, "The keyword self (as in self.title) stands for the object of the "
         "class element that owns the expression, so it works only in a "
         "class element's constraint or in an assignment to a class element. "
         "Here it is used elsewhere: in a call parameter, a text statement's "
         "constraint, or an assignment to a variable. Use the \"refName\" of "
         "the variable or class element instead."},
    {32, "In name.attribute, the name in quotes must be self or the "
         "\"refName\" of a typed parameter, variable or class-element "
         "definition of the same procedure, but there is no such element. "
         "Check the spelling (case matters) and that the element has a "
         "\"type\"."},
    {33, "The name in quotes is a declared variable or parameter, but its "
         "type is a primitive type or an enumeration, not a Kernel::Class, so "
         "it has no attributes to reach with a dot. Use the name on its own, "
         "or put a variable of a class type before the dot."},
    {34, "In object.name, the object's class has no attribute with the name "
         "in quotes, neither its own (\"ownedAttribute\") nor one inherited "
         "from a superclass. Check the spelling (case matters) and the type "
         "of the object. The class tests are written object.isTypeOf(Class) "
         "and object.isKindOf(Class)."},
    {35, "In object.name, the attribute in quotes exists, but its type does "
         "not fit the type expected here, for example an Integer attribute "
         "where a String is needed. Convert it with a built-in function, as "
         "in toString(book.pages), or use an attribute of the expected "
         "type."},
    {36, "The class test in the message (isTypeOf or isKindOf) must be "
         "written object.isTypeOf(Class), with a class name in brackets; here "
         "the \"(\" or the class name after it is missing. Write the brackets "
         "and the class name."},
    {37, "In object.isTypeOf(Class), the name in quotes is not a class of "
         "the class model. A class is named by its full name, its package "
         "names and the class name joined by \"::\", as in library::Book; "
         "letter case does not matter here. Check the name and its package "
         "path."},
    {38, "A downcast Class(pointer) gives an object of the class in quotes, "
         "but that class does not fit the type expected here: the expected "
         "class must be the cast class or one of its superclasses. Cast to "
         "the class that the assignment, parameter or comparison expects, or "
         "to one of its subclasses."},
    {39, "In object.isKindOf(Class), the name in quotes is not a class of "
         "the class model. A class is named by its full name, its package "
         "names and the class name joined by \"::\", as in library::Book; "
         "letter case does not matter here. Check the name and its package "
         "path."},
    {40, "The downcast Class(pointer) to the class in quotes ends right "
         "after its \"(\": the pointer to cast is missing. Write the "
         "pointer's name and the closing bracket, as in "
         "library::Novel(item)."},
    {41, "In the downcast Class(pointer), the pointer name in quotes is not "
         "the \"refName\" of a typed parameter, variable or class-element "
         "definition of the procedure. Check the spelling (case matters); "
         "only a declared pointer can be cast."},
    {42, "In the downcast Class(pointer), the element in quotes has a "
         "primitive type or an enumeration, so it is not an object and "
         "cannot be cast. Cast only parameters, variables or class elements "
         "whose type is a Kernel::Class."},
    {43, "In the downcast Class(pointer), the class is neither the declared "
         "class of the pointer in quotes nor a subclass of it, so the cast "
         "can never succeed. A downcast only narrows: cast to a subclass of "
         "the pointer's class, or correct the class name."},
    {44, "The downcast to the class in quotes is not closed: the pointer "
         "name between the brackets must be followed directly by \")\". Write "
         "exactly one pointer name between the brackets, as in "
         "library::Novel(item)."},
    {45, "The result of the built-in function or method in quotes does not "
         "fit the type expected here. size, indexOf and toInteger give an "
         "Integer; toString, substring, toLower and toUpper give a String; "
         "toBoolean, isEmpty and notEmpty give a Boolean. Use a function with "
         "the expected result, or convert the result, as in "
         "toString(size(title))."},
    {46, "The constant in quotes does not have the type expected here, for "
         "example \"5\" in double quotes where an Integer is needed, or 5 "
         "where a String is needed. Write numbers without quotes, texts in "
         "double quotes, Booleans as true or false, and enumeration values "
         "as the literal's name. Constants fit only primitive types named "
         "exactly String, Integer and Boolean at the top of the class model, "
         "outside any package."},
    {47, "The arithmetic sign in quotes does not fit the type expected here: "
         "+, - and * work on Integer values, and + also joins Strings, "
         "nothing else. Check the type of the place the value goes to; for "
         "Booleans and objects write a condition instead. When the quotes "
         "are empty, the expected type is neither Integer nor String."},
    {48, "A value expression has a \")\" without a matching \"(\" before it. "
         "Remove the extra closing bracket or add the missing opening one."},
    {49, "In object.isTypeOf(Class) or object.isKindOf(Class), the class "
         "name must be followed directly by \")\". Close the bracket, and "
         "write only one class name inside."},
    {50, "More than one ZEVA procedure compiled in this run has \"isMain\" "
         "set, but a program has a single entry point. Set \"isMain\" on "
         "exactly one procedure of the selected units. The message points to "
         "the second main procedure found; its unit gets no main function."},
    {51, "A call statement (ZEVA::CallStatement) has no \"proc\" link, so it "
         "does not say which procedure to call. Link \"proc\" to the ZEVA "
         "procedure or external procedure to call. Until then the call is "
         "left out and control goes straight on along its flow."},
    {52, "An actual parameter of a call statement (a ZEVA::CallParam, "
         "matched to the called procedure's parameter with the same "
         "\"paramNumber\") names the element in quotes, whose type does not "
         "fit that parameter. The types must be the same primitive type or "
         "enumeration, or for objects the parameter's class or a subclass of "
         "it. Pass an element of the right type, or change the parameter's "
         "type."},
    {53, "The called procedure has a parameter whose \"paramNumber\" no "
         "ZEVA::CallParam of the call statement has. Parameters are numbered "
         "1, 2, 3 and so on; give the call one CallParam per parameter, with "
         "the same numbers. The call is left out of the program until then."},
    {54, "The call statement has a ZEVA::CallParam whose \"paramNumber\" is "
         "one past the last parameter of the called procedure (parameters "
         "are numbered 1, 2, 3 and so on, without gaps). Remove the extra "
         "CallParam, or add the missing parameter to the called procedure. "
         "The call is left out of the program until then. The parameters "
         "of a called ZEVA procedure are counted along its \"params\" "
         "links, which the compiler adds when it compiles that procedure. "
         "A call of a procedure that is compiled after the caller (later in "
         "the unit's \"ownedMember\" list, or in a later unit) therefore "
         "reports 54 in a hand-written model that leaves out these links, "
         "until the model is compiled once more, or for good once the "
         "procedure lists its parameters under \"params\" in the file."},
    {55, "The loophead of a foreach loop (the rule that the ZEVA::ForeachLoop "
         "links as \"loophead\") needs a class element with \"ElemType\" "
         "LoopVariable whose \"def\" has a \"type\"; the loop runs once for "
         "each object that matches it. This rule has none. Set \"ElemType\" "
         "to LoopVariable on the class element to iterate over, and give it a "
         "typed class-element definition."},
    {56, "In a rule, a normal or delete association link leads to a class "
         "element whose \"ElemType\" is Create. The rule creates that object "
         "only after its pattern has matched, so the pattern cannot reach or "
         "unlink it. Set the link's \"AssocLinkType\" to Create to link the "
         "new object, or change the element's kind."},
    {57, "A rule (ZEVA::Rule) has no class elements: its \"ownedElem\" list "
         "is empty. Such a rule matches every time and only passes control "
         "along its normal flow, which is rarely what was meant. Add the "
         "class elements that the rule should find or create, or remove the "
         "rule."},
    {58, "A class element of a rule has neither a \"def\" link to a "
         "class-element definition (ZEVA::ClassElementDef, which names it and "
         "gives its class) nor a \"referElem\" link to a parameter, variable "
         "or definition that it stands for. Link \"def\" to find or create a "
         "new object, or \"referElem\" to use an object that the procedure "
         "already holds."},
    {59, "An association link (ZEVA::AssocLink) leaving a class element of a "
         "rule has no \"sourceProp\", so it does not say which association "
         "it follows. Set \"sourceProp\" and \"destProp\" to the two ends "
         "(Kernel::Property) of the association in the class model: the end "
         "at the link's \"from\" element and the end at its \"to\" element."},
    {60, "In a foreach loophead, the class element marked as loop variable "
         "(\"ElemType\" LoopVariable) has a \"referElem\" link instead of a "
         "\"def\": it stands for an object the procedure already holds, so "
         "there is nothing to iterate over. Give the loop variable its own "
         "class-element definition (\"def\") with the class to iterate over; "
         "existing objects to start from belong in other class elements."},
    {61, "A class element with \"CardConstraint\" NOT (the rule matches only "
         "when no such object exists) has an \"ElemType\" other than Normal. "
         "An object that must not exist cannot be deleted, created or "
         "iterated over. Set its \"ElemType\" to Normal, or remove the NOT."},
    {62, "An association link with \"CardConstraint\" NOT (the rule matches "
         "only when the two objects are not linked) has an \"AssocLinkType\" "
         "other than Normal. A link that must not exist cannot be deleted or "
         "created. Set its \"AssocLinkType\" to Normal, or remove the NOT."},
    {63, "A foreach loop (ZEVA::ForeachLoop) has no \"loophead\" link to the "
         "rule that selects the objects to iterate over. Link \"loophead\" to "
         "the rule that holds the loop variable. The loop is not compiled "
         "until then."},
    {64, "No package of the model has both \"isUnit\" and \"compileThis\" "
         "set, so the run compiles nothing and only writes MMscript.txt. Mark "
         "the package that should become a program as a unit (\"isUnit\") "
         "and select it for this run (\"compileThis\"). This is only a "
         "warning."},
    {65, "In a condition, the type of the left side of a comparison could "
         "not be found from its first word, shown in quotes: it is not an "
         "attribute of the element's class, a declared variable or "
         "parameter, a constant, a function with a fixed result type, or a "
         "literal of any enumeration. Check the spelling; the left side "
         "decides the type of the comparison, so write p = NULL rather than "
         "NULL = p."},
    {66, "No ZEVA::Flow leads to this flow end (its \"destination\" list is "
         "empty), so it can never run. Connect it with a flow from the flow "
         "end that should come before it, or delete it. Every flow end needs "
         "an incoming flow except the start node and the loophead of a "
         "loop."},
    {67, "A flow leaving this flow end has \"isElse\" set, but only rules and "
         "text statements choose between two ways. Start nodes, call "
         "statements, loops and the loopheads of loops have one way out: "
         "clear \"isElse\" on the flow, or remove the flow."},
    {68, "No ZEVA::Flow leaves this flow end (its \"source\" list is empty), "
         "so control has nowhere to go after it. Add a flow to the flow end "
         "that comes next, usually an End node. Inside a loop body a flow end "
         "may have no outgoing flow: control then goes back to the loop."},
    {69, "A flow leads into the loophead rule of a foreach loop. The loop "
         "runs its loophead itself, so flows must lead to the "
         "ZEVA::ForeachLoop, not to the rule. Change the flow's \"to\" end "
         "from the rule to the loop."},
    {70, "An expression ends with a name and \"->\", with nothing after the "
         "arrow. Write a method after it, as in title->isEmpty() or "
         "title->notEmpty()."},
    {71, "After \"->\" only the methods isEmpty, notEmpty and size are "
         "known; the name in quotes is none of them. Check the spelling (case "
         "matters), as in title->isEmpty()."},
    {72, "In name->isEmpty() or name->notEmpty(), the name must be an "
         "attribute of the class element's class: the test asks whether the "
         "object's attribute has a value. The name in quotes is not such an "
         "attribute. Check its spelling; for a variable, compare it instead."},
    {73, "The method after \"->\" must be followed by \"()\", as in "
         "title->isEmpty(); here the \"(\" is missing. Write the brackets "
         "right after the method name: isEmpty and notEmpty take no "
         "arguments."},
    {74, "The \"(\" after isEmpty or notEmpty must be followed directly by "
         "\")\": these methods take no arguments. Close the bracket, as in "
         "title->isEmpty()."},
    {75, "A while loop (ZEVA::WhileLoop) starts with the first flow end in "
         "its \"ownedFlowEnd\" list that has no incoming flow, but there is "
         "none: the loop is empty, or every flow end in it has an incoming "
         "flow. Put the rule that decides whether to go round again into the "
         "loop, with no flow into it and listed in the procedure's "
         "\"ownedElement\"; the body runs while that rule matches."},
    {76, "An assignment (ZEVA::Assignment) has no \"assignedElement\", so it "
         "does not say which variable, parameter or class element receives "
         "the value. Link \"assignedElement\" to it. When the assignment "
         "belongs to a rule or text statement, the message points to that "
         "statement."},
    {77, "An assignment without an \"attribute\" replaces a whole value, "
         "which works for variables and parameters but not for an object "
         "that a rule finds or creates (a class element with a \"def\", or a "
         "ZEVA::ClassElementDef). Set the assignment's \"attribute\" to the "
         "Kernel::Property to change, or assign to a variable instead."},
    {78, "A class element with \"ElemType\" Create asks the rule to create "
         "an object, but the \"type\" of its definition is a primitive type "
         "or an enumeration, not a Kernel::Class. Only objects of classes can "
         "be created: set the definition's \"type\" to a class, or use a "
         "variable for a plain value."},
    {79, "A class element with \"ElemType\" Create would create an object of "
         "a class whose \"isAbstract\" is true, which is not possible. Set "
         "the definition's \"type\" to a concrete subclass of it, or clear "
         "\"isAbstract\" in the class model if the class is meant to have "
         "objects."},
    {1001, "The model is inconsistent in a way the compiler cannot work "
           "around, so it gives up on this element. Typical causes: an "
           "association link joins class elements of two different rules; the "
           "start node's flow leads to a flow end missing from the "
           "procedure's \"ownedElement\" list; a class element, call or text "
           "statement "
           "is owned by no ZEVA procedure (\"owningProcedure\"). Check the "
           "ownership and the links of the element that the message points "
           "to."},
};

constexpr std::string_view kCrashExplanation =
    "The compiler run stopped before it finished, after a fatal fault. "
    "Common causes are a string constant in an expression (an assignment, "
    "call parameter or constraint) without its closing double quote, and "
    "faults of the model-access layer, which are printed before the "
    "messages as \"zevac: dialog:\" lines, such as a cycle of "
    "generalizations or of owners, or a run that used up the object ids. "
    "\"Attempt to use unexisting object\" follows message 1001 when an "
    "element that no procedure owns needs a temporary variable (a "
    "constraint or a built-in function of a class element), or comes alone "
    "when "
    "an expression needs a primitive type that the class model lacks "
    "(Boolean for a constraint without a relation, String or Integer for the "
    "built-in functions). "
    "The repository is still saved, with the program as far as the run got. "
    "Fix the fault and compile again; if no such cause can be found, the "
    "compiler itself is at fault.";

} // namespace

std::span<const Explanation> allExplanations() { return kExplanations; }

std::string_view findExplanation(int number) {
  auto it = std::lower_bound(
      std::begin(kExplanations), std::end(kExplanations), number,
      [](const Explanation &e, int n) { return e.number < n; });
  return it != std::end(kExplanations) && it->number == number ? it->text : "";
}

std::string_view crashExplanation() { return kCrashExplanation; }

} // namespace zeva
