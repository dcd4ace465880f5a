#include <gtest/gtest.h>

#include "catalogue_fixture.h"
#include "nemro/formula_completion.h"

namespace nemro::testing {
namespace {

class Completion : public CatalogueFile {
  protected:
    void SetUp() override {
        CatalogueFile::SetUp();
        writeInner(R"x(<FormulaCategorys><Category Title="常用" Name="C" Display="True"/>
          </FormulaCategorys><Formulas>
          <Formula Name="ROUND" CategoryName="C" Display="True" Value="ROUND(数值,小数位数)"
              Title="四舍五入" Description="按位数舍入">
            <Argument Value="数值" Description="要舍入的数"/><Argument Value="小数位数"/></Formula>
          <Formula Name="ROUNDUP" CategoryName="C" Display="True" Title="向上舍入"/>
          <Formula Name="LEFT" CategoryName="C" Display="True" Value="LEFT(文本,字符个数)"
              Title="左边字符"><Argument Value="文本"/><Argument Value="字符个数"/></Formula>
          <Formula Name="AVERAGE" CategoryName="C" Display="True" Value="AVERAGE(数值1,...)"
              Title="平均值"><Argument Value="数值1"/><Argument Value="数值2"/></Formula>
          <Formula Name="IF" CategoryName="C" Display="True" Value="IF(条件,真值,假值)"/>
          </Formulas>)x");
        const auto functions = std::make_shared<FunctionIndex>(loadCatalogue(path_));
        named = std::make_unique<CompletionIndex>(
            functions, std::vector<IndexedName>{{"基本工资", "工资项目", "每月的基本工资"},
                                                {"岗位工资", "工资项目", "按岗位发放"},
                                                {"奖金", "工资项目", "绩效奖金"},
                                                {"姓名", "人员信息", ""},
                                                {"Salary", "", ""}});
        plain = std::make_unique<CompletionIndex>(functions);
    }

    std::unique_ptr<CompletionIndex> named, plain;
};

constexpr std::size_t kEnd = 1000;

// "start,length:" and what taking each candidate writes.
TEST_F(Completion, OffersFunctionsAndNamesForTheNameAtTheCursor) {
    const std::tuple<const char*, std::size_t, const char*> cases[] = {
        {"rou", kEnd, "0,3:ROUND( ROUNDUP("},
        {"ROUND(A1)", 3, "0,5:ROUND ROUNDUP"},    // the whole name; "(" is there already
        {"ROUND(A1,jbgz", kEnd, "9,4:基本工资"},  // pinyin initials
        {"jibengz", kEnd, "0,7:基本工资"},
        {"基本工资+gw", kEnd, "5,2:岗位工资"},  // characters, not bytes
        {"绩效", kEnd, "0,2:奖金"},             // the meaning
        {"位数", kEnd, "0,2:ROUND("},
        {"gzxm", kEnd, "0,4:基本工资 岗位工资 奖金"},  // the group
        {"pjz", kEnd, "0,3:AVERAGE("},                 // a function's title
        {"gz+sal", kEnd, "3,3:Salary"},
        {"ROUND", 0, "0,0:"},  // nothing before the cursor
        {"\"rou", kEnd, "4,0:"},
        {"\"a,\"\"rou", kEnd, "8,0:"},  // a doubled quote does not end the literal
        {"\"a\"&rou", kEnd, "4,3:ROUND( ROUNDUP("},
        {"12rou", kEnd, "5,0:"},
        {"1.5", kEnd, "3,0:"},
        {"rou ", kEnd, "4,0:"},
        {"x(", kEnd, "2,0:"},
    };
    for (const auto& [text, cursor, expected] : cases) {
        const nemro::Completion c = named->complete(text, cursor);
        std::string got = std::to_string(c.start) + "," + std::to_string(c.length) + ":";
        for (std::size_t i = 0; i < c.candidates.size(); ++i)
            got += (i ? " " : "") + c.insertion(c.candidates[i]);
        EXPECT_EQ(got, expected) << text;
    }
    EXPECT_EQ(plain->complete("jbgz", kEnd).candidates.size(), 0u);
    EXPECT_EQ(named->complete("gz", kEnd, 1).candidates.size(), 1u);
}

TEST_F(Completion, HintsTheCallAroundTheCursor) {
    const std::tuple<const char*, std::size_t, const char*> cases[] = {
        {"ROUND(", kEnd, "1 ROUND(【数值】,小数位数)  数值：要舍入的数"},
        {"round(1,", kEnd, "2 ROUND(数值,【小数位数】)  小数位数"},
        {"ROUND(LEFT(\"a,(b\",1),", kEnd, "2 ROUND(数值,【小数位数】)  小数位数"},
        {"ROUND(LEFT(\"a,(b", kEnd, "1 LEFT(【文本】,字符个数)  文本"},  // inside the literal
        {"ROUND(\"a\"\",\"", kEnd, "1 ROUND(【数值】,小数位数)  数值：要舍入的数"},
        {"IF(A1>0,ROUND(1,2),", kEnd, "3 IF(条件,真值,【假值】)"},
        {"ROUND((1,2)+3,", kEnd, "2 ROUND(数值,【小数位数】)  小数位数"},  // a bracket that groups
        {"ROUND(1,2)", 7, "1 ROUND(【数值】,小数位数)  数值：要舍入的数"},
        {"ROUND(1,2)", kEnd, ""},
        {"ROUND(1,2)", 5, ""},
        {"FOO(1,", kEnd, ""},  // not in the catalogue
        {"ROUND(1,2,3,", kEnd, "4 ROUND(数值,小数位数)"},
        {"AVERAGE(1,", kEnd, "2 AVERAGE(数值1,【数值2】)  数值2"},  // past the Value's "..."
    };
    for (const auto& [text, cursor, expected] : cases) {
        const std::optional<CallHint> hint = named->callHint(text, cursor);
        EXPECT_EQ(hint ? std::to_string(hint->argument) + " " + hint->text() : "", expected)
            << text;
    }
}

TEST_F(Completion, ColoursTheTextAndMatchesTheBracketAtTheCursor) {
    // Each span as a letter for its kind (Function, Name, Variable, X unknown, String, D
    // number, Boolean, Operator, "(" bracket, Error) and its length, then the bracket pair.
    const std::tuple<const char*, std::size_t, bool, const char*> cases[] = {
        {"ROUND(基本工资*0.08,2)", kEnd, true, "F5 (1 N4 O1 D4 O1 D1 (1 | 5-17"},
        {"ROUND(基本工资*0.08,2)", 6, true, "F5 (1 N4 O1 D4 O1 D1 (1 | 5-17"},
        {"salry + salary & \"a\"\"(\"", 0, true, "X5 O1 N6 O1 S6"},
        {"salry+x", 0, false, "V5 O1 V1"},
        {"(1+2", 1, false, "E1 D1 O1 D1"},
        {"1)>=True", 2, false, "D1 E1 O2 B4"},
        {"((1)+2)", 3, false, "(1 (1 D1 (1 O1 D1 (1 | 1-3"},
        {"1.2.3+.", 0, false, "E5 O1 E1"},
        {"\"open", 0, false, "S5"},
    };
    for (const auto& [text, cursor, names, expected] : cases) {
        const Colouring c = (names ? named : plain)->colour(text, cursor);
        std::string got;
        for (const ColourSpan& s : c.spans)
            got += (got.empty() ? "" : " ") +
                   std::string(1, "FNVXSDBO(E"[static_cast<int>(s.kind)]) +
                   std::to_string(s.length);
        if (c.brackets)
            got += " | " + std::to_string(c.brackets->first) + "-" +
                   std::to_string(c.brackets->second);
        EXPECT_EQ(got, expected) << text;
    }
}

}  // namespace
}  // namespace nemro::testing
