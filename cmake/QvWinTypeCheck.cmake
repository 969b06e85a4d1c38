# Type-checks the Windows files that the cross build does not compile: the *_win.cpp files of
# every layer that need Qt (the Qt faces of the Win32 primitives). The cross build has no Qt for
# Windows, so each file is only parsed (-fsyntax-only) against the host's Qt 6 headers, which
# describe the same API; a file that no longer compiles fails the test, named in its output.
#   cmake -DQV_TC_COMPILER=<mingw g++> -DQV_TC_ROOT=<source root> -DQV_TC_QT=<qt6 include dir>
#         -DQV_TC_JSON=<folder holding nlohmann/> -DQV_TC_SKIP=<files|compiled|by|the|build>
#         -P QvWinTypeCheck.cmake

set(_layers config engine backend desktop recorder cable app qml tools)
set(_files)
foreach(_layer ${_layers})
    file(GLOB _found ${QV_TC_ROOT}/${_layer}/*_win.cpp)
    list(APPEND _files ${_found})
endforeach()
list(SORT _files)
if(QV_TC_SKIP)
    string(REPLACE "|" ";" _skip "${QV_TC_SKIP}")
    list(REMOVE_ITEM _files ${_skip})
endif()
if(NOT _files)
    message(FATAL_ERROR "no *_win.cpp files found under ${QV_TC_ROOT}")
endif()

# Qt's headers are system headers here: their own warnings (dllimport redeclarations of this
# header set) are not this project's. The project's warnings are errors, and
# -Wmissing-declarations catches a definition whose header declaration changed: it would
# otherwise compile as a new overload and only fail when linking on Windows.
set(_flags -std=c++20 -fsyntax-only -DUNICODE -D_UNICODE -Wall -Wextra -Wpedantic
    -Wno-unused-parameter -Wmissing-declarations -Werror
    -I${QV_TC_ROOT} -isystem ${QV_TC_JSON} -isystem ${QV_TC_QT})
foreach(_module QtCore QtGui QtWidgets QtQml QtQuick QtQuickControls2 QtNetwork QtSvg)
    list(APPEND _flags -isystem ${QV_TC_QT}/${_module})
endforeach()

set(_failed)
foreach(_file ${_files})
    file(RELATIVE_PATH _name ${QV_TC_ROOT} ${_file})
    execute_process(COMMAND ${QV_TC_COMPILER} ${_flags} ${_file}
        RESULT_VARIABLE _result OUTPUT_VARIABLE _output ERROR_VARIABLE _output)
    if(_result EQUAL 0)
        message(STATUS "ok      ${_name}")
    else()
        message(STATUS "FAILED  ${_name}\n${_output}")
        list(APPEND _failed ${_name})
    endif()
endforeach()
if(_failed)
    list(JOIN _failed ", " _list)
    message(FATAL_ERROR "Windows files that do not compile: ${_list}")
endif()
