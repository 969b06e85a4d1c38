# The demo engine: its Qt-free core (qvdemo) and the in-process DemoTransport in qvengine.
qv_layer(qvdemo
    ${CMAKE_CURRENT_LIST_DIR}/demo_engine.h
    ${CMAKE_CURRENT_LIST_DIR}/demo_engine.cpp  # requests and replies
    ${CMAKE_CURRENT_LIST_DIR}/demo_state.cpp   # state, endpoint list and document payloads
    ${CMAKE_CURRENT_LIST_DIR}/demo_meters.cpp  # meters block and the noise generator
    ${CMAKE_CURRENT_LIST_DIR}/demo_world.cpp   # the fixed demo world
)
target_link_libraries(qvdemo PUBLIC qvconfig)

target_sources(qvengine PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/demo_transport.h
    ${CMAKE_CURRENT_LIST_DIR}/demo_transport.cpp
)
target_link_libraries(qvengine PUBLIC qvdemo)
