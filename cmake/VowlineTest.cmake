# vowline_add_test(<area> [GUI] SOURCES ... [LIBS ...])
# One test executable per area, registered with CTest and run headless.
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
endfunction()
