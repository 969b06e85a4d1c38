# Cross toolchain: 64-bit Windows programs built with Debian's mingw-w64 (POSIX thread model, so
# std::thread and std::mutex work) and run under Wine.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DQV_WIN32_PRIMITIVES_ONLY=ON
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_qv_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_qv_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_qv_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_qv_triple}-windres)

# Static runtime: the test programs run under Wine without the MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Libraries, headers and packages come from the MinGW sysroot only; programs (Wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_qv_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The one package looked for, nlohmann_json, is header-only: a small package file beside this one
# takes the host's headers without putting /usr/include on the path.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/win/nlohmann_json)

# Debian installs the 64-bit loader outside PATH (/usr/lib/wine/wine64); the "wine" wrapper
# script would look for a 32-bit Wine first and print a hint on every run.
find_program(QV_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QV_WINE})
endif()
