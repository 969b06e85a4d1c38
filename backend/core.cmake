# Backend core: construction, connection, requests and replies, the edit path, invokables.
target_sources(qvbackend PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/backend.h
    ${CMAKE_CURRENT_LIST_DIR}/backend.cpp          # construction, connection, messages, toast, quit
    ${CMAKE_CURRENT_LIST_DIR}/backend_edits.cpp    # edit path, live edits, QML invokables
    ${CMAKE_CURRENT_LIST_DIR}/backend_models.cpp   # runtime inputs, predicates, rebuildModels
    ${CMAKE_CURRENT_LIST_DIR}/json_variant.h
    ${CMAKE_CURRENT_LIST_DIR}/json_variant.cpp     # QVariant <-> JSON for QML arguments
)
