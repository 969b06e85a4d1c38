# The program's transport against the stand-in engine process, end to end (POSIX).
if(UNIX AND TARGET quorvel-engine)
    qv_qtest(tst_engine_e2e SOURCES tst_engine_e2e.cpp LIBS qvengine qvlink LABELS link)
    target_compile_definitions(tst_engine_e2e PRIVATE
        QV_ENGINE_PATH="$<TARGET_FILE:quorvel-engine>")
    add_dependencies(tst_engine_e2e quorvel-engine)
endif()
