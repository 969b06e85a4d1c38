# Runs qmllint over every document of the QML module; any warning fails.
# Usage: cmake -DQMLLINT=<qmllint> -DQML_DIR=<folder> -P qmllint.cmake
file(GLOB documents ${QML_DIR}/*.qml)
list(SORT documents)
list(LENGTH documents count)
if(count EQUAL 0)
    message(FATAL_ERROR "no QML documents in ${QML_DIR}")
endif()
# lint/ describes the types that start-up registers in C++ (the native meter item).
execute_process(COMMAND ${QMLLINT} -I ${QML_DIR}/lint ${documents}
                WORKING_DIRECTORY ${QML_DIR}
                RESULT_VARIABLE rc
                OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "qmllint found problems in ${QML_DIR}:\n${out}")
endif()
message(STATUS "qmllint: ${count} documents clean")
