# Tray: offscreen (no system tray there), and the same program on a private Xvfb display with and
# without a tray host (xvfb_run.sh).
qv_qtest(tst_tray SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_tray.cpp
         LIBS qvdesktop qvqml qvtestsupport LABELS desktop)

if(NOT WIN32)
    foreach(mode tray none)
        add_test(NAME tst_tray_x11_${mode}
                 COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xvfb_run.sh ${mode}
                         $<TARGET_FILE:tst_tray>)
        set_tests_properties(tst_tray_x11_${mode} PROPERTIES LABELS "desktop;x11" TIMEOUT 60)
        if(QV_SANITIZE STREQUAL "address")
            set_tests_properties(tst_tray_x11_${mode} PROPERTIES ENVIRONMENT
                "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan_tray.supp")
        endif()
    endforeach()
endif()
