# The Windows cross build (QV_WIN32_PRIMITIVES_ONLY): the Qt-free engine link with its Win32
# primitives, and their tests, which run under Wine in a private prefix.

if(EXISTS ${PROJECT_SOURCE_DIR}/engine/link.cmake)
    include(${PROJECT_SOURCE_DIR}/engine/link.cmake)
endif()
include(${PROJECT_SOURCE_DIR}/desktop/hotkeys_win32.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/desktop/icons_win32.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/recorder/recorder_win32.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/cable/cable_win32.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/app/app_win32.cmake OPTIONAL)

if(NOT QV_BUILD_TESTS)
    return()
endif()

# The Qt faces of the primitives (*_win.cpp files with Qt) are type-checked against the host's
# Qt 6 headers; the files compiled by the targets above are left out.
find_path(QV_HOST_QT6_INCLUDE QtCore/qglobal.h PATHS /usr/include/x86_64-linux-gnu/qt6
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(QV_HOST_QT6_INCLUDE)
    set(_qv_built_sources)
    foreach(_qv_target qvlink qvhotkeys_win32 qvicons_win32 qvrecorder_win32 qvcable_win32
                       qvapp_win32)
        if(TARGET ${_qv_target})
            get_target_property(_qv_sources ${_qv_target} SOURCES)
            list(APPEND _qv_built_sources ${_qv_sources})
        endif()
    endforeach()
    list(FILTER _qv_built_sources INCLUDE REGEX "_win\\.cpp$")
    list(JOIN _qv_built_sources "|" _qv_skip) # one argument: a ;-list would split
    get_target_property(_qv_json nlohmann_json::nlohmann_json INTERFACE_INCLUDE_DIRECTORIES)
    add_test(NAME win_type_check
        COMMAND ${CMAKE_COMMAND} -DQV_TC_COMPILER=${CMAKE_CXX_COMPILER}
                -DQV_TC_ROOT=${PROJECT_SOURCE_DIR} -DQV_TC_QT=${QV_HOST_QT6_INCLUDE}
                -DQV_TC_JSON=${_qv_json} -DQV_TC_SKIP=${_qv_skip}
                -P ${PROJECT_SOURCE_DIR}/cmake/QvWinTypeCheck.cmake)
    set_tests_properties(win_type_check PROPERTIES LABELS win TIMEOUT 300)
else()
    message(WARNING "The host's Qt 6 headers were not found: the Windows files are not "
                    "type-checked (Debian package qt6-base-dev)")
endif()

# GoogleTest from the sources Debian ships (the host's libgtest is a Linux library).
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
    message(FATAL_ERROR "The Windows tests need the GoogleTest sources in /usr/src/googletest "
                        "(Debian package googletest, pulled in by libgtest-dev)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

find_program(QV_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine
    NO_CMAKE_FIND_ROOT_PATH)
if(NOT QV_WINE OR NOT QV_WINESERVER)
    message(WARNING "Wine not found: the Windows tests are built but not registered")
endif()

set(QV_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(QV_WINE_LOGS ${CMAKE_BINARY_DIR}/wine-logs)
set(QV_WINE_ENV
    WINEPREFIX=${QV_WINE_PREFIX}
    WINEDEBUG=-all
    WINELOADER=${QV_WINE}
    "WINEDLLOVERRIDES=mscoree,mshtml=\;winemenubuilder.exe=d")

if(QV_WINE AND QV_WINESERVER)
    set(_qv_prefix_script ${PROJECT_SOURCE_DIR}/tests/win/wine_prefix.sh)
    add_test(NAME wine_prefix_setup
        COMMAND bash ${_qv_prefix_script} setup ${QV_WINE} ${QV_WINESERVER} ${QV_WINE_PREFIX}
                ${QV_WINE_LOGS})
    add_test(NAME wine_prefix_cleanup
        COMMAND bash ${_qv_prefix_script} cleanup ${QV_WINE} ${QV_WINESERVER} ${QV_WINE_PREFIX}
                ${QV_WINE_LOGS})
    set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 240)
    set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# qv_wine_test(<name> SOURCES... LIBS... [LABELS...]): a GoogleTest program for Windows, run under
# Wine (the toolchain's emulator) in the prefix above.
function(qv_wine_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main
        qv_compile_options)
    if(NOT QV_WINE OR NOT QV_WINESERVER)
        return()
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${QV_WINE_ENV}"
        FIXTURES_REQUIRED wine
        LABELS "win;${T_LABELS}")
endfunction()

if(EXISTS ${PROJECT_SOURCE_DIR}/tests/win/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/win ${CMAKE_BINARY_DIR}/tests/win)
endif()
