# Runs the harness self-check (selfcheck.cpp) in TEST, a GUI test executable, and passes only
# when each deliberate failure ends the way it should, in seconds:
#   cmake -DTEST=<executable> -P selfcheck.cmake
set(ENV{VOWLINE_SELF_CHECK} 1)
set(ENV{QT_QPA_PLATFORM} offscreen)

# Runs the named functions with the given time limit per function (ms); sets `out`, `rc` and
# `seconds` in the caller.
function(run_check limit)
    set(ENV{QTEST_FUNCTION_TIMEOUT} ${limit})
    string(TIMESTAMP start "%s")
    execute_process(COMMAND ${TEST} ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE output
                    RESULT_VARIABLE result TIMEOUT 100)
    string(TIMESTAMP end "%s")
    math(EXPR elapsed "${end} - ${start}")
    set(out "${output}" PARENT_SCOPE)
    set(rc "${result}" PARENT_SCOPE)
    set(seconds ${elapsed} PARENT_SCOPE)
endfunction()

function(expect what)
    string(FIND "${out}" "${what}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The self-check's output lacks \"${what}\":\n${out}")
    endif()
endfunction()

# A failing handler: the dialogs close and the test fails at once, long before the 60 s limit.
run_check(60000 failedCheckInModalHandler throwingModalHandler)
if(rc EQUAL 0 OR seconds GREATER 20)
    message(FATAL_ERROR "Failing modal handlers: exit ${rc} after ${seconds} s:\n${out}")
endif()
expect("FAIL!  : HarnessSelfCheck::failedCheckInModalHandler() 'false' returned FALSE. (a check fails inside the handler)")
expect("FAIL!  : HarnessSelfCheck::throwingModalHandler() the handler of dlgThrows threw: thrown inside the handler")
string(REGEX MATCHALL "exec\\(\\) returned Rejected" rejected "${out}")
list(LENGTH rejected count)
if(NOT count EQUAL 2)
    message(FATAL_ERROR "Both dialogs should come back rejected:\n${out}")
endif()

# A hang: the time limit ends it and names the function, and no debugger is started.
run_check(2000 hangingFunction)
if(rc EQUAL 0 OR seconds GREATER 30)
    message(FATAL_ERROR "A hanging test: exit ${rc} after ${seconds} s:\n${out}")
endif()
expect("HarnessSelfCheck::hangingFunction() Test function timed out")
string(FIND "${out}" "=== Stack trace ===" dumped)
if(NOT dumped EQUAL -1)
    message(FATAL_ERROR "A debugger was started to dump the stack:\n${out}")
endif()
message(STATUS "Failing handlers failed at once; the hang was ended in ${seconds} s and named")
