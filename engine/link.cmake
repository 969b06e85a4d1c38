# qvlink: the engine link's portable core over per-OS primitives (standard library only), and
# PipeTransport, its Qt face, added to qvengine. Included by engine/CMakeLists.txt; the Windows
# cross build may include it on its own, so paths are relative to this file and qvengine is
# optional.
find_package(Threads REQUIRED)

set(_qvlink_dir ${CMAKE_CURRENT_LIST_DIR})
qv_layer(qvlink
    ${_qvlink_dir}/framing.h ${_qvlink_dir}/framing.cpp
    ${_qvlink_dir}/link_os.h
    ${_qvlink_dir}/link_core.h ${_qvlink_dir}/link_core.cpp)
target_link_libraries(qvlink PUBLIC Threads::Threads)

# The primitives of engine/link_os.h, one set per system. The Windows set is whatever *_win.cpp
# files the engine folder holds (the Win32 primitives are written and tested on their own).
if(WIN32)
    file(GLOB _qvlink_os_sources CONFIGURE_DEPENDS ${_qvlink_dir}/*_win.cpp)
    target_sources(qvlink PRIVATE ${_qvlink_os_sources})
elseif(UNIX)
    target_sources(qvlink PRIVATE
        ${_qvlink_dir}/runtime_dir.h ${_qvlink_dir}/runtime_dir_posix.cpp
        ${_qvlink_dir}/link_channel_posix.cpp
        ${_qvlink_dir}/meter_view_posix.cpp
        ${_qvlink_dir}/engine_process_posix.cpp)
endif()

if(TARGET qvengine)
    target_sources(qvengine PRIVATE ${_qvlink_dir}/pipe_transport.h
                                    ${_qvlink_dir}/pipe_transport.cpp)
    target_link_libraries(qvengine PUBLIC qvlink)
endif()
