#include "rules_fixture.h"

#include "../../compiler/expressions/elements.h"
#include "../../compiler/expressions/expression.h"
#include "../../compiler/expressions/lexer.h"
#include "../../compiler/program/chains.h"
#include "../../compiler/program/cleanup.h"

#include <map>

namespace zeva::test {

// Expressions translated in the context of class element x : pk::C of a
// compiled rule, with variables p : pk::C, q : pk::D (a subclass) and
// i : Integer.
class ExpressionTest : public RulesTest {
protected:
  void SetUp() override {
    RulesTest::SetUp();
    ObjectId km = partners(pk, "owningPackage").at(0);
    integer = named("Kernel::PrimitiveType", "Integer", km);
    string = named("Kernel::PrimitiveType", "String", km);
    boolean = named("Kernel::PrimitiveType", "Boolean", km);
    color = named("Kernel::Enumeration", "Color", pk);
    for (const char *name : {"Red", "Green"})
      link(color, "ownedLiteral", named("Kernel::EnumerationLiteral", name));
    c = cls("C");
    d = cls("D", c);
    for (auto [name, type] : {std::pair{"n", integer},
                              {"s", string},
                              {"flag", boolean},
                              {"tint", color}}) {
      ObjectId p = named("Kernel::Property", name);
      link(p, "type", type);
      link(c, "ownedAttribute", p);
    }
    // An attribute whose type the class model leaves out.
    link(c, "ownedAttribute", named("Kernel::Property", "u"));
    variable("p", c);
    variable("q", d);
    variable("i", integer);
    ObjectId r = rule(start, end);
    x = elem(r, "x", c);
    compile();
    EXPECT_EQ(messages(), std::vector<std::string>{});
    types = {{"integer", integer}, {"string", string}, {"boolean", boolean},
             {"color", color},     {"c", c},           {"d", d}};
  }

  /// The commands that `text` gives as an assignment "setVar r=" of
  /// `type`, then the messages it raised.
  std::string translate(const char *text, const std::string &typeName) {
    ObjectId type = types.at(typeName);
    std::size_t before = messages().size();
    kel::Kel_Var_2 lexem("Le"), block("Komblock"), value("Expression");
    GetLexems(text, lexem);
    kel::AddObj(block, "Komblock");
    kel::Kel_Var_2 assign = expressions::createValueCommand("setVar r=", value);
    PrintExpression(value, block, at(x), at(type), lexem, 0);
    AddKomToKomblock(assign, block);
    ClearLexems();
    std::ostringstream out;
    zevac::printCommandsListing(
        repo, partners(kel::CurId(block), "start").at(0), out);
    std::vector<std::string> all = messages();
    for (std::size_t m = before; m < all.size(); ++m)
      out << "! " << all[m] << '\n';
    return out.str();
  }

  std::map<std::string, ObjectId> types;
  ObjectId integer = 0, string = 0, boolean = 0, color = 0, c = 0, d = 0, x = 0;
};

TEST_F(ExpressionTest, ElementsOfSimpleExpressions) {
  struct Case {
    const char *text;
    const char *type;
    const char *listing;
  };
  const Case cases[] = {
      {"n + 1", "integer", "setVar r=x.n + 1\n"},
      {"(i - 2) * @i", "integer", "setVar r=(i - 2) * i\n"},
      {"s + \"a b\" + x.s", "string", "setVar r=x.s + \"a b\" + x.s\n"},
      {"self", "c", "setVar r=x\n"},
      {"p", "c", "setVar r=p\n"},
      {"NULL", "d", "setVar r=null\n"},
      {"pk::D(p)", "d", "setVar r=p\n"},
      {"green", "color", "setVar r=pk::Color::GREEN\n"},
      {"tint", "color", "setVar r=x.tint\n"},
      {"n->size()", "integer", "setVar r=\n"},
      // Messages end the translation; what was written stays.
      {"s + 1", "string",
       "setVar r=x.s +\n! 46 - Type mismatch by constant \"1\" !\n"},
      {"s - s", "string",
       "setVar r=x.s\n! 47 - Type mismatch by operator \"-\" !\n"},
      {"flag + flag", "boolean",
       "setVar r=x.flag\n! 47 - Type mismatch by operator \"\" !\n"},
      {"1)", "integer", "setVar r=1\n! 48 - Bracket error!\n"},
      // An untyped attribute fits no expected type.
      {"u", "integer",
       "setVar r=\n! 18 - A type mismatch in an expression by attribute "
       "specification \"u\" !\n"},
      {"p.u", "string",
       "setVar r=\n! 35 - Type mismatch by attribute specification \"u\" !\n"},
      {"a.", "integer", "setVar r=\n! 30 - An expression ends with the dot!\n"},
      {"i.n", "integer",
       "setVar r=\n! 33 - A referencable element \"i\" before a dot is not "
       "class-typed (pointer)!\n"},
      {"p.zz", "integer",
       "setVar r=\n! 34 - An identifier  \"zz\" after a dot is not attribute "
       "specification!\n"},
      {"p.s", "integer",
       "setVar r=\n! 35 - Type mismatch by attribute specification \"s\" !\n"},
      {"zz", "integer", "setVar r=\n! 20 - An unknown identifier \"zz\" !\n"},
      {"blue", "color",
       "setVar r=\n! 21 - An unknown enumeration literal \"blue\" !\n"},
      {"s", "integer",
       "setVar r=\n! 18 - A type mismatch in an expression by attribute "
       "specification \"s\" !\n"},
      {"q", "integer",
       "setVar r=\n! 19 - A type mismatch in an expression by referencable "
       "element specification \"q\" !\n"},
      {"n = 1", "integer",
       "setVar r=x.n\n! 17 - A simple expression contains prohibited symbol "
       "(>,<,>=,<=,=,<>,.,comma(,),and,or,not)!\n"},
      {"pk::C(q)", "d",
       "setVar r=\n! 38 - Type mismatch by downcast \"pk::C\" !\n"},
      {"pk::D(i)", "d",
       "setVar r=\n! 42 - The type of the referencable element \"i\" is not a "
       "class!\n"},
      {"pk::D(p", "d",
       "setVar r=p\n! 44 - Missing right bracket in a downcast \"pk::D\" !\n"},
      {"zz.n", "integer",
       "setVar r=\n! 32 - An unknown identifier \"zz\" before a dot!\n"},
      {"p.isTypeOf", "boolean",
       "setVar r=\n! 36 - Incorrect syntax of the isTypeOf method!\n"},
      {"p.isKindOf(pk::Z)", "boolean",
       "setVar r=\n! 39 - Unknown type specification \"pk::Z\" in a "
       "isKindOf() method!\n"},
      {"p.isTypeOf(pk::D", "boolean",
       "setVar _mvar_3=true\ntype p!=pk::D else goto _mlabel_4\n"
       "setVar _mvar_3=false\n_mlabel_4:\nsetVar r=_mvar_3\n"
       "! 49 - Right bracket missing in isTypeOf/isKindOf method!\n"},
      {"pk::D(", "d",
       "setVar r=\n! 40 - Missing a pointer in a downcast \"pk::D\" !\n"},
      {"pk::D(zz)", "d",
       "setVar r=\n! 41 - An unknown identifier \"zz\" in downcast!\n"},
      {"pk::C(q)", "c",
       "setVar r=\n! 43 - Type mismatch in a downcast by referencable "
       "element \"q\" !\n"},
      {"n->", "boolean",
       "setVar r=\n! 70 - No identifier after arrow(->) in an expression!\n"},
      {"zz->isEmpty()", "boolean",
       "setVar r=\n! 72 - An identifier \"zz\" used in the isEmpty or "
       "notEmpty method is not property name!\n"},
      {"n->isEmpty", "boolean",
       "setVar _mvar_5=\"n\"\nsetVar r=IsAttrValEmpty(x, _mvar_5)\n! 73 - The "
       "opening bracket missing after isEmpty or notEmpty method!\n"},
      {"n->notEmpty(", "boolean",
       "setVar _mvar_6=\"n\"\nsetVar r=NotAttrValEmpty(x, _mvar_6)\n! 74 - The "
       "closing bracket missing after isEmpty or notEmpty method!\n"},
      {"n->length()", "boolean",
       "setVar r=\n! 71 - An unknown identifier \"length\" after arrow(->) in "
       "an expression!\n"},
  };
  for (const Case &k : cases)
    EXPECT_EQ(translate(k.text, k.type), k.listing) << k.text;
}

TEST_F(ExpressionTest, CommandsComputedFirst) {
  struct Case {
    const char *text;
    const char *type;
    const char *listing;
  };
  const Case cases[] = {
      {"p.isTypeOf(pk::D)", "boolean", R"(setVar _mvar_3=true
type p!=pk::D else goto _mlabel_4
setVar _mvar_3=false
_mlabel_4:
setVar r=_mvar_3
)"},
      {"q.isKindOf(pk::C)", "boolean", R"(setVar _mvar_5=true
type q!=pk::C else goto _mlabel_6
type q!=pk::D else goto _mlabel_6
setVar _mvar_5=false
_mlabel_6:
setVar r=_mvar_5
)"},
      {"s->isEmpty()", "boolean", R"(setVar _mvar_7="s"
setVar r=IsAttrValEmpty(x, _mvar_7)
)"},
      {"toString(n) + toString(tint)", "string",
       R"(setVar _mvar_8=x.n
setVar _mvar_9=x.tint
setVar r=IntToStr(_mvar_8) + EnumToStr(_mvar_9)
)"},
      {"substring(s, 2)", "string", R"(setVar _mvar_10=x.s
setVar _mvar_11=2
setVar _mvar_11=_mvar_11-1
setVar _mvar_12=Length(_mvar_10) - 1
setVar r=SubString(_mvar_10, _mvar_11, _mvar_12)
)"},
      {"substring(s, 1, (i))", "string", R"(setVar _mvar_13=x.s
setVar _mvar_14=1
setVar _mvar_14=_mvar_14-1
setVar _mvar_15=(i)
setVar _mvar_15=_mvar_15-1
setVar r=SubString(_mvar_13, _mvar_14, _mvar_15)
)"},
      {"indexOf(s, \"x\") * size(toLower(s))", "integer",
       R"(setVar _mvar_16=x.s
setVar _mvar_17="x"
setVar _mvar_19=x.s
setVar _mvar_18=toLower(_mvar_19)
setVar r=indexOf(_mvar_16, _mvar_17) * Length(_mvar_18)
)"},
      {"toEnum(s)", "color", R"(setVar _mvar_20="pk::Color"
setVar _mvar_21=x.s
setVar r=StrToEnum(_mvar_20, _mvar_21)
)"},
      // A message in an argument ends only the argument.
      {"toInteger(zz) + 1", "integer", R"(setVar _mvar_22=
setVar r=StrToInt(_mvar_22) + 1
! 20 - An unknown identifier "zz" !
)"},
      {"toString(\"a\")", "string",
       "setVar r=\n! 15 - A String expression in a call of the toString "
       "function!\n"},
      {"toString(p)", "string",
       "setVar r=\n! 16 - A class-typed expression in a call of the toString "
       "function!\n"},
      {"toInteger(s, s)", "integer",
       "setVar r=\n! 8 - Too much parameters in a call of the StrToInt "
       "function!\n"},
      {"toInteger()", "integer",
       "setVar r=\n! 9 - No parameters in a call of the StrToInt function!\n"},
      {"toEnum(s)", "integer",
       "setVar r=\n! 4 - The function toEnum used in a non-enumeration "
       "expression!\n"},
      {"size(s)", "string",
       "setVar r=\n! 45 - Type mismatch by function \"size\" !\n"},
      {"indexOf(s)", "integer",
       "setVar r=\n! 10 - Not enough parameters in a call of the indexOf "
       "function!\n"},
      {"substring(s, 1, 2, 3)", "string",
       R"(setVar _mvar_23=x.s
setVar _mvar_24=1
setVar _mvar_24=_mvar_24-1
setVar r=SubString(_mvar_23, _mvar_24)
! 13 - Too much parameters in a call of the substring function!
)"},
      {"toEnum(s, s)", "color",
       "setVar r=\n! 5 - Too much parameters in a call of the toEnum!\n"},
      {"toEnum()", "color",
       "setVar r=\n! 6 - No parameters in a call of the toEnum!\n"},
      // _mvar_25 went to the third position of the substring above, which
      // is declared before its argument is checked.
      {"indexOf(s, s, s)", "integer",
       "setVar _mvar_26=x.s\nsetVar r=indexOf(_mvar_26)\n! 11 - Too much "
       "parameters in a call of the indexOf function!\n"},
      {"substring(s)", "string",
       "setVar r=\n! 12 - Not enough parameters in a call of the substring "
       "function!\n"},
      {"toString(zz)", "string",
       "setVar r=\n! 14 - An expression formation error in a call of the "
       "toString function!\n"},
      {"p.isTypeOf(pk::Z)", "boolean",
       "setVar r=\n! 37 - Unknown type specification \"pk::Z\" in a isTypeOf() "
       "method!\n"},
      {"toUpper(s) + toString(toBoolean(s))", "string",
       R"(setVar _mvar_27=x.s
setVar _mvar_29=x.s
setVar _mvar_28=StrToBool(_mvar_29)
setVar r=toUpper(_mvar_27) + BoolToStr(_mvar_28)
)"},
  };
  for (const Case &k : cases)
    EXPECT_EQ(translate(k.text, k.type), k.listing) << k.text;
}

} // namespace zeva::test
