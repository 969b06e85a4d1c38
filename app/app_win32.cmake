# qvapp_win32: the Qt-free Windows side of the program - the single instance (named mutex,
# registered show message and its broadcast) and the graphics adapter's name from DXGI. Included
# by app/CMakeLists.txt on Windows and by the cross build, which tests it under Wine.
if(NOT TARGET qvapp_win32)
    qv_layer(qvapp_win32
        ${CMAKE_CURRENT_LIST_DIR}/single_instance_win32.h
        ${CMAKE_CURRENT_LIST_DIR}/single_instance_win32.cpp
        ${CMAKE_CURRENT_LIST_DIR}/render_adapter_win32.h
        ${CMAKE_CURRENT_LIST_DIR}/render_adapter_win32.cpp)
    target_link_libraries(qvapp_win32 PUBLIC user32 dxgi)
endif()
