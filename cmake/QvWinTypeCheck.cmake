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

# The files are parsed a batch at a time, one per core: execute_process runs its commands side by
# side (as a pipeline; the compiler reads no input and writes only errors). A file that fails is
# parsed again on its own, so its errors are not mixed with another file's.
cmake_host_system_information(RESULT _cores QUERY NUMBER_OF_LOGICAL_CORES)
set(_failed)
list(LENGTH _files _count)
math(EXPR _last "${_count} - 1")
foreach(_first RANGE 0 ${_last} ${_cores})
    list(SUBLIST _files ${_first} ${_cores} _batch)
    set(_commands)
    foreach(_file ${_batch})
        list(APPEND _commands COMMAND ${QV_TC_COMPILER} ${_flags} ${_file})
    endforeach()
    execute_process(${_commands} RESULTS_VARIABLE _results OUTPUT_QUIET ERROR_QUIET)
    foreach(_file _result IN ZIP_LISTS _batch _results)
        file(RELATIVE_PATH _name ${QV_TC_ROOT} ${_file})
        if(_result EQUAL 0)
            message(STATUS "ok      ${_name}")
            continue()
        endif()
        execute_process(COMMAND ${QV_TC_COMPILER} ${_flags} ${_file} OUTPUT_VARIABLE _output
            ERROR_VARIABLE _output)
        message(STATUS "FAILED  ${_name}\n${_output}")
        list(APPEND _failed ${_name})
    endforeach()
endforeach()
if(_failed)
    list(JOIN _failed ", " _list)
    message(FATAL_ERROR "Windows files that do not compile: ${_list}")
endif()
