# vowline_add_test(<area> [GUI] SOURCES ... [LIBS ...])
# One test executable per area, registered with CTest and run headless. The test main limits
# each test function's time (see tests/support/testmain.cpp), well inside CTest's limit.
function(vowline_add_test area)
    cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
    set(target test_${area})
    add_executable(${target} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/testmain.cpp)
    if(T_GUI)
        target_link_libraries(${target} PRIVATE vowline_guitestsupport ${T_LIBS})
        target_compile_definitions(${target} PRIVATE VOWLINE_TEST_GUI=1)
    else()
        target_link_libraries(${target} PRIVATE vowline_testsupport ${T_LIBS})
    endif()
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_dependencies(${target} vowline_defaults)
    add_test(NAME ${area} COMMAND ${target})
    set_tests_properties(${area} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
        TIMEOUT 300)

    # The first GUI executable also carries the harness's self-check: failures in modal
    # handlers and hangs must end a test in seconds.
    get_property(checked GLOBAL PROPERTY VOWLINE_SELF_CHECK_IN)
    if(T_GUI AND NOT checked)
        set_property(GLOBAL PROPERTY VOWLINE_SELF_CHECK_IN ${target})
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/selfcheck.cpp)
        add_test(NAME test_harness_self_check
                 COMMAND ${CMAKE_COMMAND} -DTEST=$<TARGET_FILE:${target}>
                         -P ${PROJECT_SOURCE_DIR}/tests/support/selfcheck.cmake)
        set_tests_properties(test_harness_self_check PROPERTIES
            ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0" TIMEOUT 240)
    endif()
endfunction()
