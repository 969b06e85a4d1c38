# HotkeyService: the platform-free state machine over one input source per system.
target_sources(qvdesktop PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/hotkey_service.h
    ${CMAKE_CURRENT_LIST_DIR}/hotkey_service.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hotkey_source.h
    ${CMAKE_CURRENT_LIST_DIR}/hotkey_keys.h)

find_package(PkgConfig QUIET)
if(PkgConfig_FOUND AND NOT WIN32)
    # GLOBAL: qvdesktop is static, so its users link these libraries too.
    pkg_check_modules(QV_XINPUT QUIET IMPORTED_TARGET GLOBAL x11 xi)
endif()

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/hotkeys_win32.cmake)
    target_sources(qvdesktop PRIVATE ${CMAKE_CURRENT_LIST_DIR}/hotkey_source_win.cpp)
    target_link_libraries(qvdesktop PRIVATE qvhotkeys_win32)
    set_property(GLOBAL PROPERTY QV_HOTKEY_SOURCE win)
elseif(QV_XINPUT_FOUND)
    target_sources(qvdesktop PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/hotkey_source_x11.cpp
        ${CMAKE_CURRENT_LIST_DIR}/hotkey_keymap_x11.h
        ${CMAKE_CURRENT_LIST_DIR}/hotkey_keymap_x11.cpp)
    target_link_libraries(qvdesktop PRIVATE PkgConfig::QV_XINPUT)
    set_property(GLOBAL PROPERTY QV_HOTKEY_SOURCE x11)
else()
    message(STATUS "No X11/XInput2 development files: global hotkeys are unavailable")
    target_sources(qvdesktop PRIVATE ${CMAKE_CURRENT_LIST_DIR}/hotkey_source_null.cpp)
    set_property(GLOBAL PROPERTY QV_HOTKEY_SOURCE none)
endif()
