# Tray: the notification-area icon with its menu (Qt Widgets), on the Backend's state.
target_sources(qvdesktop PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tray.h
    ${CMAKE_CURRENT_LIST_DIR}/tray.cpp)
# The tray reads the Backend; the program icon it paints comes from the qvqml resources, which
# the program links (tests that look at the icon link qvqml themselves).
target_link_libraries(qvdesktop PUBLIC qvbackend)
