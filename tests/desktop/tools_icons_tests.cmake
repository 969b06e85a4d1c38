qv_qtest(tst_window_tools SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_window_tools.cpp LIBS qvdesktop
         LABELS desktop)
set_tests_properties(tst_window_tools PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_LIST_DIR}/offscreen-two-screens.json")
qv_qtest(tst_windows_seen SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_windows_seen.cpp LIBS qvdesktop
         LABELS desktop)
qv_qtest(tst_icon_providers SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_icon_providers.cpp
         LIBS qvdesktop LABELS desktop)
if(NOT WIN32)
    # Icon lookup through XDG desktop entries and icon themes.
    qv_qtest(tst_app_icon_posix SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_app_icon_posix.cpp
             LIBS qvdesktop LABELS desktop)
endif()
