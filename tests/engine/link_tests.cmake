# Tests of the engine link: framing, the core over the POSIX primitives against an in-process fake
# engine server, and PipeTransport.
qv_gtest(link_framing_test SOURCES framing_test.cpp LIBS qvlink LABELS link)

if(UNIX)
    # A stand-in "quorvel-engine" that only records how it was started, kept in a folder of its
    # own so it never shadows the real stand-in engine in bin/.
    add_executable(qv_link_fake_engine fake_engine_main.cpp)
    target_link_libraries(qv_link_fake_engine PRIVATE qv_compile_options)
    set_target_properties(qv_link_fake_engine PROPERTIES
        OUTPUT_NAME quorvel-engine
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fake-engine)

    qv_gtest(link_core_test SOURCES link_core_fixture.h link_core_test.cpp
             LIBS qvtestsupport_posix LABELS link)
    qv_gtest(link_launch_test SOURCES link_core_fixture.h link_launch_test.cpp
             LIBS qvtestsupport_posix LABELS link)
    qv_qtest(tst_pipe_transport SOURCES tst_pipe_transport.cpp
             LIBS qvengine qvtestsupport_posix LABELS link)
    if(QV_SANITIZE STREQUAL "thread")
        set_property(TEST tst_pipe_transport APPEND PROPERTY ENVIRONMENT
            "TSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/tsan_qt.supp")
    endif()
    foreach(t link_launch_test)
        target_compile_definitions(${t} PRIVATE
            QV_FAKE_ENGINE_DIR="$<TARGET_FILE_DIR:qv_link_fake_engine>")
        add_dependencies(${t} qv_link_fake_engine)
    endforeach()
endif()
