# HotkeyService: the state machine through a scripted source (offscreen), and the X11 source on
# a private Xvfb display with injected input.
qv_qtest(tst_hotkey_service SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_hotkey_service.cpp
         LIBS qvdesktop LABELS desktop)

get_property(_qv_hotkey_source GLOBAL PROPERTY QV_HOTKEY_SOURCE)
if(_qv_hotkey_source STREQUAL "x11")
    add_executable(tst_hotkeys_x11 ${CMAKE_CURRENT_LIST_DIR}/tst_hotkeys_x11.cpp)
    target_link_libraries(tst_hotkeys_x11 PRIVATE qvdesktop Qt6::Test qv_compile_options)
    add_test(NAME tst_hotkeys_x11
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xvfb_run.sh none $<TARGET_FILE:tst_hotkeys_x11>)
    set_tests_properties(tst_hotkeys_x11 PROPERTIES LABELS "desktop;x11" TIMEOUT 60)
endif()
