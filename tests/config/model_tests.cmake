# The configuration document, the dispatcher, the strip and routing commands and setSettings.
qv_gtest(config_model_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/document_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/strip_commands_test.cpp
    LIBS qvconfig
    LABELS config)
