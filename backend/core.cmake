# Backend core: construction, connection, requests and replies, the edit path, invokables; the
# rows, the engine's running state, the Windows diagnostics and the derived properties.
target_sources(qvbackend PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/backend.h
    ${CMAKE_CURRENT_LIST_DIR}/backend_internal.h  # what one rebuild shares between the files below
    ${CMAKE_CURRENT_LIST_DIR}/backend.cpp          # construction, connection, messages, toast, quit
    ${CMAKE_CURRENT_LIST_DIR}/backend_edits.cpp    # edit path, live edits, QML invokables
    ${CMAKE_CURRENT_LIST_DIR}/backend_models.cpp   # role lists, presence predicates, rebuildModels
    ${CMAKE_CURRENT_LIST_DIR}/backend_rows.cpp     # device, source and channel rows
    ${CMAKE_CURRENT_LIST_DIR}/backend_state.cpp    # "endpoints" and "state" payloads, device notices
    ${CMAKE_CURRENT_LIST_DIR}/backend_derived.cpp  # derived properties
    ${CMAKE_CURRENT_LIST_DIR}/backend_windows.cpp  # Windows defaults, replacement, mic diagnosis
    ${CMAKE_CURRENT_LIST_DIR}/windows_sound.h
    ${CMAKE_CURRENT_LIST_DIR}/json_variant.h
    ${CMAKE_CURRENT_LIST_DIR}/json_variant.cpp     # QVariant <-> JSON for QML arguments
)
if(WIN32)
    target_sources(qvbackend PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windows_sound_win.cpp)
else()
    target_sources(qvbackend PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windows_sound_posix.cpp)
endif()
