# qvcable_win32: the Qt-free Windows side of the cable setup - the Authenticode check, the
# elevated start and the unpack command text. Included by cable/CMakeLists.txt on Windows and
# by the cross build, which tests it under Wine, so paths are relative to this file.
if(NOT TARGET qvcable_win32)
    qv_layer(qvcable_win32
        ${CMAKE_CURRENT_LIST_DIR}/trust_codes.h
        ${CMAKE_CURRENT_LIST_DIR}/authenticode_win.h
        ${CMAKE_CURRENT_LIST_DIR}/authenticode_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/runas_win.h
        ${CMAKE_CURRENT_LIST_DIR}/runas_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/unpack_command.h
        ${CMAKE_CURRENT_LIST_DIR}/unpack_command.cpp)
    target_link_libraries(qvcable_win32 PUBLIC wintrust shell32 ole32)
endif()
