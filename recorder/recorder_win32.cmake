# qvrecorder_win32: the Qt-free Windows side of the capture preview - the page-file backed
# mapping and the frame reader. Included by recorder/CMakeLists.txt on Windows and by the cross
# build, which tests it under Wine, so paths are relative to this file.
if(NOT TARGET qvrecorder_win32)
    qv_layer(qvrecorder_win32
        ${CMAKE_CURRENT_LIST_DIR}/preview_block.h
        ${CMAKE_CURRENT_LIST_DIR}/preview_block_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/preview_frame.h
        ${CMAKE_CURRENT_LIST_DIR}/preview_frame.cpp)
endif()
