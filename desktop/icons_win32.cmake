# qvicons_win32: the Qt-free Win32 side of the application icons (the first large icon of a
# program as pixels). Included by tools_icons.cmake on Windows and by the cross build, which
# tests it under Wine, so paths are relative to this file.
if(NOT TARGET qvicons_win32)
    qv_layer(qvicons_win32
        ${CMAKE_CURRENT_LIST_DIR}/app_icon_win32.h
        ${CMAKE_CURRENT_LIST_DIR}/app_icon_win32.cpp)
    target_link_libraries(qvicons_win32 PUBLIC shell32 gdi32 user32)
endif()
