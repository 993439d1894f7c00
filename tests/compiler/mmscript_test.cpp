// The class model written as a metamodel script.
#include "compiler_fixture.h"

#include "../mmscript/mmscript.h"
#include "globals.h"

namespace zeva::test {
namespace {

class MetamodelScriptTest : public CompilerTest {
protected:
  ObjectId end(ObjectId assoc, const char *name, ObjectId type,
               Attrs attrs = {}) {
    ObjectId p = obj("Kernel::Property", {{"name", name}});
    for (auto [a, v] : attrs)
      setAttr(p, a, v);
    if (type)
      link(p, "type", type);
    if (assoc)
      link(assoc, "memberEnd", p);
    return p;
  }
};

TEST_F(MetamodelScriptTest, WritesEveryKindOfStatement) {
  _TARGET_ = 1;
  obj("LabelGenerator", {{"id", "1"}});
  ObjectId km = obj("Kernel::Model", {{"name", "KM"}});
  EXPECT_EQ(printZEVA_MMscript(), "MMDefStart;\nMMDefEnd;");
  ObjectId shop = named("Kernel::Package", "Shop", km);
  ObjectId order = named("Kernel::Class", "Order", shop);
  ObjectId item = named("Kernel::Class", "Item", shop);
  ObjectId special = named("Kernel::Class", "SpecialItem", shop);
  generalize(special, 0); // incomplete generalizations are skipped
  generalize(special, item);
  generalize(0, item);
  ObjectId string = named("Kernel::PrimitiveType", "String", km);
  ObjectId status = named("Kernel::Enumeration", "Status", shop);
  for (const char *literal : {"open", "Closed"})
    link(status, "ownedLiteral",
         obj("Kernel::EnumerationLiteral", {{"name", literal}}));
  named("Kernel::Enumeration", "Empty", shop);

  link(order, "ownedAttribute", end(0, "code", string));
  link(order, "ownedAttribute", end(0, "status", status));
  end(0, "loose", string); // no owning class: no statement

  // Composite end first, whichever end it is; a class-typed end owned by a
  // class is no attribute.
  ObjectId a1 = obj("Kernel::Association", {{"name", "a1"}});
  end(a1, "order", order,
      {{"isComposite", "true"}, {"lower", "1"}, {"upper", "1"}});
  link(order, "ownedAttribute",
       end(a1, "items", item,
           {{"lower", "0"}, {"upper", "-1"}, {"isOrdered", "true"}}));
  ObjectId a2 = obj("Kernel::Association", {{"name", "a2"}});
  end(a2, "part", item, {{"lower", "0"}, {"upper", "1"}});
  end(a2, "whole", order,
      {{"isComposite", "true"}, {"lower", "1"}, {"upper", "1"}});
  ObjectId twice = obj("Kernel::Association", {{"name", "twice"}});
  end(twice, "x", item, {{"isComposite", "true"}});
  end(twice, "y", special, {{"isComposite", "true"}}); // end 2 leads
  // An untyped end or a single end gives nothing and draws no names.
  ObjectId untyped = obj("Kernel::Association", {{"name", "untyped"}});
  end(untyped, "", item);
  end(untyped, "", 0);
  end(obj("Kernel::Association", {{"name", "single"}}), "", item);
  // Unnamed ends draw generated names left to right.
  ObjectId plain = obj("Kernel::Association", {{"name", "plain"}});
  end(plain, "", item, {{"lower", "1"}, {"upper", "-1"}});
  end(plain, " ", special);

  EXPECT_EQ(printZEVA_MMscript(),
            "MMDefStart;\n"
            "class shop::Order;\n"
            "class shop::Item;\n"
            "class shop::SpecialItem;\n"
            "enum shop::Status : {OPEN,CLOSED};\n"
            "enum shop::Empty : {};\n"
            "compos shop::Order.[1]order/items[*]{ordered}.shop::Item;\n"
            "compos shop::Order.[1]whole/part[0..1].shop::Item;\n"
            "compos shop::SpecialItem.[*]y/x[*].shop::Item;\n"
            "assoc shop::Item.[1..*]_1/_2[*].shop::SpecialItem;\n"
            "attr shop::Order.code:String;\n"
            "attr shop::Order.status:shop::Status;\n"
            "rel shop::SpecialItem.subClassOf.shop::Item;\n"
            "MMDefEnd;");
}

} // namespace
} // namespace zeva::test
