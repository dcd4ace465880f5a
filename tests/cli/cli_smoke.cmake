# Runs the command-line tool and checks output and exit status; a caller that sets
# cli_input feeds that file to standard input.
function(expect_run expected_rc expected_out)
  set(in)
  if(DEFINED cli_input)
    set(in INPUT_FILE "${cli_input}")
  endif()
  execute_process(COMMAND ${CLI} ${ARGN} ${in} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}${err}")
  endif()
  string(FIND "${out}" "${expected_out}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${ARGN}: output lacks '${expected_out}'\n${out}")
  endif()
endfunction()

expect_run(0 [[{"ok":true,"elements":[{"text":"(","kind":1048576,"priority":30},{"text":"A1","kind":65536,"priority":99},{"text":"2","kind":14,"priority":99},{"text":"*","kind":524288,"priority":27},{"text":"2","kind":14,"priority":99},{"text":"ROUND","kind":131072,"priority":99}]}]]
           postfix --json "ROUND(A1*2,2)")
expect_run(1 [["number":35,"source":"位置：3 公式:\r\n(1","description":"期望配对的右括号。"]] postfix --json "(1")
expect_run(0 "ROUND" postfix "ROUND(1,2)")
expect_run(0 "example:" postfix --help)
expect_run(2 "" postfix --bogus "1")
expect_run(2 "" nosuchcommand)

# Feeds INPUT (lines joined by "\n") to a --batch run.
function(expect_batch expected_rc expected_out input)
  set(file "${CMAKE_CURRENT_BINARY_DIR}/cli_smoke_batch_input.txt")
  string(REPLACE ";" "\n" lines "${input}")
  file(WRITE "${file}" "${lines}\n")
  set(cli_input "${file}")
  expect_run(${expected_rc} "${expected_out}" ${ARGN})
endfunction()

# eval
expect_run(0 [[{"ok":true,"kind":14,"text":"7"}]] eval --json "1+2*3")
expect_run(0 [[{"ok":true,"kind":8,"text":"1.33元"}]] eval --json --var x=4 [[ROUND(x/3,2)&"元"]])
expect_run(0 [[{"ok":true,"kind":8,"text":"abc0","callbacks":[{"callback":"UserVariable","name":"z"},{"callback":"UserVariable","name":"y"}]}]]
           eval --json --trace [[--var=y="abc"]] "y&z")
expect_run(1 [[{"ok":false,"number":7,"source":"CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()\\CGNTExpression.p_CheckOperand()","description":"变量“x”的返回值无效。"}]]
           eval --json --var "x=#7" "x")
expect_run(1 [[{"ok":false,"number":35,"source":"CGNTExpression.Evaluate()","description":"空的表达式。"}]] eval --json "  ")
expect_run(1 [["number":11,]] eval --json "MOD(5,0)")
expect_run(0 [[{"ok":true,"kind":8,"text":"0"}]] eval --json --function abs=0 "abs(-1)")
expect_run(1 [["description":"错误的自定义函数“ABS”。"]] eval --json "ABS(-1)")
expect_run(0 [[{"ok":true,"kind":8,"text":"壹佰万零壹拾元整"}]] eval --json "RMBDX(1000010)")
expect_run(0 [[{"ok":true,"kind":14,"text":"1.15"}]] eval --json "TRUNC(1.15,2)")
expect_run(0 "number	3" eval "1+2")
expect_run(0 "example:" eval --help)
expect_run(2 "" eval --var novalue "1")
expect_run(2 "" eval)
expect_batch(1 "{\"ok\":true,\"kind\":14,\"text\":\"3\"}\n{\"ok\":false,\"number\":11," "1+2;MOD(5,0)" eval --batch --json)
expect_batch(0 "string\tab\nboolean\tTrue\n" [[LEFT("abc",2);1<2]] eval --batch)

# print
expect_run(0 [[{"ok":true,"text":"ROUND(a1 * 2)","returnType":14,"callbacks":[{"callback":"CheckVariable","name":"a1"}]}]]
           print --json --trace --type A1=14 "round(a1*2,)")
expect_run(0 [[{"ok":true,"text":"8 - (3 - 1)","returnType":14}]] print --json "8-(3-1)")
expect_run(0 [[{"ok":true,"text":"F(x)","returnType":8}]] print --json --function-type f=8 "f(x)")
expect_run(1 [[{"ok":false,"number":35,"source":"","description":"函数“MOD”的参数个数不正确。"}]] print --json "MOD(5)")
expect_run(2 "" print --type x=abc "x")
expect_batch(1 "1 + 2 * 3\t14\nerror 35: 期望配对的右括号。\n" "1+2*3;(1" print --batch)

# postfix batch
expect_batch(1 "1 2 +\nerror 35: 期望配对的右括号。\n" "1+2;(1" postfix --batch)

# arglist: the list on standard input, "|" standing for code 14 and "^" for code 15.
function(expect_list expected_rc expected_out list)
  string(ASCII 14 field)
  string(ASCII 15 entry)
  string(REPLACE "|" "${field}" list "${list}")
  string(REPLACE "^" "${entry}" list "${list}")
  set(file "${CMAKE_CURRENT_BINARY_DIR}/cli_smoke_list_input.txt")
  file(WRITE "${file}" "${list}")
  set(cli_input "${file}")
  expect_run(${expected_rc} "${expected_out}" ${ARGN})
endfunction()
expect_list(0 [[{"ok":true,"value":"100"}]] "RATE|0.05|税率^base|100|基数" arglist --json get BASE)
expect_list(0 [[{"ok":true,"value":""}]] "RATE|0.05|税率" arglist --json get "RATE ")
expect_list(1 [[{"ok":false,"number":-2147221503,"source":"CArgumentSet.GetValueByName()\\NemroFormulaSet","description":"参数没有给定！"}]]
            "" arglist --json get RATE)
expect_list(1 [["number":9,]] "^RATE|1|" arglist --json get RATE)
expect_list(0 "0.05\n" "RATE|0.05|税率\n" arglist get rate)
expect_list(0 [[{"ok":true,"entries":[{"name":"A","value":"1","description":"a"},{"name":" B","value":"","description":""}]}]]
            "A|1|a^ B||" arglist --json show)
expect_list(0 [[{"ok":true,"entries":[]}]] "" arglist --json show)
expect_list(1 [[{"ok":false,"number":9,"source":"frmArgumentSet1.ReadArgument()\\NemroFormulaSet","description":"下标越界。","entry":2}]]
            "A|1|a^B|2^C|3|c" arglist --json show)
expect_list(0 "A\t1\ta\n" "A|1|a" arglist show)
expect_run(0 "example:" arglist --help)
expect_run(2 "" arglist get)
expect_run(2 "" arglist bogus)

# catalogue, compose, decompose: the bundled catalogue beside the executable, and files
# that are missing or faulty
get_filename_component(cli_dir "${CLI}" DIRECTORY)
set(bundled "${cli_dir}/FormulaSet.xml")
set(missing "${CMAKE_CURRENT_BINARY_DIR}/cli_smoke_no_such_catalogue.xml")
set(faulty "${CMAKE_CURRENT_BINARY_DIR}/cli_smoke_faulty_catalogue.xml")
file(WRITE "${faulty}" [[<Quorvanta>
<FormulaCategorys><Category Title="全部" Name="TOTALFUNCTION" Display="True"/></FormulaCategorys>
<Formulas>
<Formula Name="X" Display="True" Value="X(a,b)" Title="t" Description="d" MaxArgNum="2">
<Argument Value="a" Required="True" Datatype="Single" Description="a"/></Formula>
</Formulas>
<DatatypeDesc><Datatype Value="Single" Desc="数值"/></DatatypeDesc>
</Quorvanta>
]])
expect_run(0 [[{"ok":true,"entries":["常用函数","逻辑函数","文本函数","数学与三角函数","日期与时间函数","全部函数"]}]]
           catalogue --json categories)
expect_run(0 [[{"ok":true,"entries":["AVERAGE","COUNT","IF","MAX","MIN","ROUND","SUM"],"selected":0}]]
           catalogue --json functions 常用函数)
expect_run(0 [[{"ok":true,"entries":[],"selected":-1}]] catalogue --json functions 无此分类)
expect_run(0 [[{"ok":true,"value":"ROUND(数值,小数位数)","titleAndDescription":"四舍五入：将数值]]
           catalogue --json info ROUND)
expect_run(0 [[{"ok":true,"count":5}]] catalogue --json count SUM)
expect_run(0 [[{"ok":true,"text":"小数位数"}]] catalogue --json arg ROUND Value 2)
expect_run(1 [["number":91,"source":"frmFormulaSet.getArgumenPara()\\getArgumentPara"]]
           catalogue --json arg ROUND Value 3)
expect_run(2 "" catalogue arg ROUND Value 40000)
expect_run(0 [[{"ok":true,"result":true}]] catalogue --json argnum IF)
expect_run(0 [[{"ok":true,"result":false}]] catalogue --json exists sum)
expect_run(0 "true" catalogue exists SUM)
expect_run(0 [[{"ok":true,"text":"数值：]] catalogue --json typedesc ROUND 数值)
expect_run(0 [[{"ok":true,"problems":[]}]] catalogue --json lint)
expect_run(0 [[{"ok":true,"problems":[]}]] catalogue --json --catalogue "${bundled}" lint)
expect_run(1 "${faulty}:4: Formula \"X\": MaxArgNum is 2 but it has 1 child nodes"
           catalogue --catalogue "${faulty}" lint)
expect_run(1 [[{"ok":false,"problems":[{"line":4,"message":"Formula \"X\": MaxArgNum is 2 but it has 1 child nodes"}]}]]
           catalogue --json --catalogue=${faulty} lint)
expect_run(1 [[{"ok":false,"number":1,"source":"frmFormulaSet.FillFormulaCategory()\\FillFunctionCategory","description":"File was not found"}]]
           catalogue --json --catalogue "${missing}" categories)
expect_run(1 [["number":1,"source":"lintCatalogue"]] catalogue --json --catalogue "${missing}" lint)
expect_run(2 "" catalogue)
expect_run(2 "" catalogue nosuchquery)
expect_run(2 "" catalogue functions)
expect_run(2 "" catalogue --catalogue)
expect_run(0 "example:" catalogue --help)
expect_run(0 [[{"ok":true,"text":"ROUND(A1,2)"}]] compose --json ROUND " A1 " 2)
expect_run(0 "SUM(1,2,,,)" compose SUM 1 2)
expect_run(0 "NOW()" compose NOW)
expect_run(1 [["number":1,"source":"modCommonFunction.buildFormula()\\frmFormulaSet.getArgumentCount()\\getArgumentCount"]]
           compose --json --catalogue "${missing}" ROUND 1)
expect_run(2 "" compose)
expect_run(0 "example:" compose --help)
expect_run(0 [[{"ok":true,"name":"IF","arguments":["A1>0","ROUND(A1,2)","0"]}]]
           decompose --json "IF(A1>0,ROUND(A1,2),0)")
expect_run(0 "F\n1\ta\n2\t\n3\tb\n" decompose "F(a,,b,)")
expect_run(0 [[{"ok":true,"name":"NOW","arguments":[]}]] decompose --json "NOW()")
expect_run(1 [["number":5,]] decompose --json "NOW")
expect_run(2 "" decompose)
expect_run(0 "example:" decompose --help)
# eval answers user functions from a catalogue as the argument dialog does
expect_run(0 [[{"ok":true,"kind":8,"text":"0"}]] eval --json --catalogue "${bundled}" "SUM(1,ABS(-2))")
expect_run(1 [["description":"错误的自定义函数“NOPE”。"]] eval --json --catalogue "${bundled}" "NOPE(1)")
expect_run(1 [["number":1,]] eval --json --catalogue "${missing}" "SUM(1)")

# check: the argument dialog's formula check, with the message the user would see
set(check_catalogue "${CMAKE_CURRENT_BINARY_DIR}/cli_smoke_check/FormulaSet.xml")
file(WRITE "${check_catalogue}" [[<?xml version="1.0" encoding="UTF-8"?>
<Quorvanta><Formulas><Formula Name="Mine" MaxArgNum="1"><Argument Value="x" Required="True"/></Formula></Formulas></Quorvanta>
]])
expect_run(0 [[{"ok":true}]] check --json [[LEFT("ab",1)]])
expect_run(1 [[{"ok":false,"message":"不得包含非法字符' : '","title":"公式输入有误!","icon":16}]] check --json "LEFT(A1:B2,2)")
expect_run(1 [[{"ok":false,"message":"左右括号数目不一致!","title":"公式输入有误!","icon":16}]] check --json "LEFT((1,1)")
expect_run(0 [[{"ok":true}]] check --json --catalogue "${check_catalogue}" "Mine(1)+MINE(2)")
expect_run(1 [[{"ok":false,"message":"错误的自定义函数“NOPE”。","title":"公式输入有误!","icon":16}]]
           check --json --catalogue "${check_catalogue}" "NOPE(1)")
expect_run(1 [["title":"NemroFormulaSet","icon":16,"number":1,]] check --json --catalogue "${check_catalogue}.missing" "NOPE(1)")
expect_run(0 "example:" check --help)
expect_run(2 "" check --json)
expect_batch(1 "ok\n公式输入有误!: 左右括号数目不一致!\n" [[LEFT("ab",1);(1]] check --batch)
