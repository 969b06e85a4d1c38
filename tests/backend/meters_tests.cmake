# ListModel, MeterStore, the preset lists and the equaliser curve.
qv_qtest(backend_list_model_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_model_test.cpp LIBS qvbackend LABELS backend)
qv_qtest(backend_meter_store_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/meter_store_test.cpp LIBS qvbackend LABELS backend)
qv_gtest(backend_presets_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/presets_test.cpp LIBS qvbackend LABELS backend)
