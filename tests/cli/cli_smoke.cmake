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
