# Scenes, the device equaliser, endpoint commands and classification, preset catalogues.
qv_gtest(config_scene_endpoint_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/equaliser_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/endpoints_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/endpoint_commands_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/scene_commands_test.cpp
    LIBS qvconfig
    LABELS config)
