# nlohmann_json for the Windows cross build. The library is header-only, so the host's copy serves;
# but only its own folder may reach the include path: putting /usr/include itself there would let
# the host's C library headers shadow MinGW's.
set(_qv_json_headers /usr/include/nlohmann)
if(NOT EXISTS ${_qv_json_headers}/json.hpp)
    set(nlohmann_json_FOUND FALSE)
    set(nlohmann_json_NOT_FOUND_MESSAGE "${_qv_json_headers}/json.hpp is missing (nlohmann-json3-dev)")
    return()
endif()

set(_qv_json_root ${CMAKE_BINARY_DIR}/qv-host-json)
if(NOT EXISTS ${_qv_json_root}/nlohmann)
    file(MAKE_DIRECTORY ${_qv_json_root})
    file(CREATE_LINK ${_qv_json_headers} ${_qv_json_root}/nlohmann SYMBOLIC)
endif()

if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${_qv_json_root}
        INTERFACE_COMPILE_FEATURES cxx_std_11)
endif()
