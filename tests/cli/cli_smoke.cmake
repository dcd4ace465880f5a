# Runs the command-line tool and checks output and exit status.
function(expect_run expected_rc expected_out)
  execute_process(COMMAND ${CLI} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
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
  execute_process(COMMAND ${CLI} ${ARGN} INPUT_FILE "${file}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}${err}")
  endif()
  string(FIND "${out}" "${expected_out}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${ARGN}: output lacks '${expected_out}'\n${out}")
  endif()
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
