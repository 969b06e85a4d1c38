# Test registration helpers.
find_package(GTest REQUIRED)

# qv_gtest(<name> SOURCES... LIBS...): a GoogleTest executable registered with CTest.
function(qv_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main qv_compile_options)
    add_test(NAME ${name} COMMAND ${name})
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()

# qv_qtest(<name> SOURCES... LIBS...): a QtTest executable registered with CTest, run on the
# offscreen platform unless the test sets its own.
function(qv_qtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test qv_compile_options)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    if(QV_SANITIZE STREQUAL "thread")
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
            "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/tsan_qtest.supp")
    endif()
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
