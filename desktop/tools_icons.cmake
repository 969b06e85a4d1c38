# Window placement and decoration, and the two QML image providers.
target_sources(qvdesktop PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/window_tools.h
    ${CMAKE_CURRENT_LIST_DIR}/window_tools.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_decor.h
    ${CMAKE_CURRENT_LIST_DIR}/window_cover.h
    ${CMAKE_CURRENT_LIST_DIR}/windows_seen.h
    ${CMAKE_CURRENT_LIST_DIR}/windows_seen.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_icon_provider.h
    ${CMAKE_CURRENT_LIST_DIR}/line_icon_provider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_icon_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app_icon_provider.h
    ${CMAKE_CURRENT_LIST_DIR}/app_icon_provider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app_icon_source.h)
if(WIN32)
    target_sources(qvdesktop PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/window_decor_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/app_icon_win.cpp
        ${CMAKE_CURRENT_LIST_DIR}/window_cover_null.cpp)
    include(${CMAKE_CURRENT_LIST_DIR}/icons_win32.cmake)
    target_link_libraries(qvdesktop PRIVATE dwmapi qvicons_win32)
else()
    # Covered windows are told apart on X11 only; without libxcb nothing is ever covered.
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(QV_XCB QUIET IMPORTED_TARGET GLOBAL xcb)
    endif()
    if(QV_XCB_FOUND)
        target_sources(qvdesktop PRIVATE ${CMAKE_CURRENT_LIST_DIR}/window_cover_x11.cpp)
        target_link_libraries(qvdesktop PRIVATE PkgConfig::QV_XCB)
    else()
        target_sources(qvdesktop PRIVATE ${CMAKE_CURRENT_LIST_DIR}/window_cover_null.cpp)
    endif()
    target_sources(qvdesktop PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/window_decor_posix.cpp
        ${CMAKE_CURRENT_LIST_DIR}/app_icon_posix.cpp
        ${CMAKE_CURRENT_LIST_DIR}/desktop_entries.h
        ${CMAKE_CURRENT_LIST_DIR}/desktop_entries.cpp)
endif()
