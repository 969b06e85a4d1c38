# The demo engine core, DemoTransport, and the stand-in engine process end to end.
qv_gtest(demo_engine_test
    SOURCES demo_engine_test.cpp
    LIBS qvdemo
    LABELS engine)

qv_qtest(demo_transport_test
    SOURCES demo_transport_test.cpp
    LIBS qvengine
    LABELS engine)

if(TARGET quorvel-engine)
    qv_gtest(standin_engine_test
        SOURCES standin_test.cpp
        LIBS qvconfig qvtestsupport_posix
        LABELS engine)
    target_compile_definitions(standin_engine_test
        PRIVATE QV_ENGINE_PATH="$<TARGET_FILE:quorvel-engine>")
    add_dependencies(standin_engine_test quorvel-engine)
endif()
