# The control options: clients against a demo instance and an engine-mode instance on the
# stand-in engine, all real processes (about 10 s).
if(UNIX)
    qv_qtest(tst_app_verbs SOURCES tst_app_verbs.cpp LIBS Qt6::Network LABELS app)
    target_compile_definitions(tst_app_verbs PRIVATE QV_QUORVEL_PATH="$<TARGET_FILE:quorvel>"
                               QV_ENGINE_PATH="$<TARGET_FILE:quorvel-engine>")
    add_dependencies(tst_app_verbs quorvel quorvel-engine)
endif()
