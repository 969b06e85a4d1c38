# Warnings and sanitizers shared by every target of the project.

add_library(qv_compile_options INTERFACE)
target_compile_options(qv_compile_options INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)

if(QV_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "QV_FUZZ needs clang (libFuzzer)")
    endif()
    # Coverage for the fuzzer in every library; the fuzz targets add -fsanitize=fuzzer.
    set(_qv_san -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                -fno-sanitize-recover=undefined)
elseif(QV_SANITIZE STREQUAL "address")
    set(_qv_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
elseif(QV_SANITIZE STREQUAL "thread")
    set(_qv_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT QV_SANITIZE STREQUAL "")
    message(FATAL_ERROR "QV_SANITIZE must be empty, 'address' or 'thread'")
endif()
if(_qv_san)
    add_compile_options(${_qv_san})
    add_link_options(${_qv_san})
endif()

# qv_layer(<name> SOURCES...): one static library of a Qt-free layer (no moc, no Qt).
function(qv_layer name)
    add_library(${name} STATIC ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_link_libraries(${name} PRIVATE qv_compile_options)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
