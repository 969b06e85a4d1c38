# Backend core: the engine conversation and edit path on a scripted transport, values from QML
# and damaged engine messages, and a whole session against the demo engine.
qv_qtest(tst_backend_core
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_backend_core.cpp ${CMAKE_CURRENT_LIST_DIR}/backend_fixture.h
    LIBS qvbackend qvtestsupport)
qv_qtest(tst_backend_input
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_backend_input.cpp ${CMAKE_CURRENT_LIST_DIR}/backend_fixture.h
    LIBS qvbackend qvtestsupport Qt6::Qml)
qv_qtest(tst_backend_demo
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_backend_demo.cpp ${CMAKE_CURRENT_LIST_DIR}/rows_support.h
    LIBS qvbackend qvtestsupport)
