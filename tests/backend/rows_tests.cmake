# Backend rows, the engine's running state, Windows diagnostics and the derived properties.
set(_rows_support ${CMAKE_CURRENT_LIST_DIR}/rows_support.h ${CMAKE_CURRENT_LIST_DIR}/backend_fixture.h)
qv_qtest(tst_backend_rows
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_backend_rows.cpp ${_rows_support}
    LIBS qvbackend qvtestsupport)
qv_qtest(tst_backend_derived
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_backend_derived.cpp ${_rows_support}
    LIBS qvbackend qvtestsupport)
qv_qtest(tst_backend_windows
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_backend_windows.cpp ${_rows_support}
    LIBS qvbackend qvtestsupport)
