# qvhotkeys_win32: the Qt-free Win32 side of the global hotkeys (hidden raw input window, input
# decoding, key names). Included by hotkeys.cmake on Windows and by the cross build, which tests
# it under Wine.
if(NOT TARGET qvhotkeys_win32)
    qv_layer(qvhotkeys_win32
        ${CMAKE_CURRENT_LIST_DIR}/hotkeys_rawinput_win.h
        ${CMAKE_CURRENT_LIST_DIR}/hotkeys_rawinput_win.cpp)
    target_link_libraries(qvhotkeys_win32 PUBLIC user32 wtsapi32)
endif()
