# The version is the host package's: it describes the very headers used here.
foreach(_qv_dir /usr/share/cmake/nlohmann_json /usr/lib/cmake/nlohmann_json)
    if(EXISTS ${_qv_dir}/nlohmann_jsonConfigVersion.cmake)
        include(${_qv_dir}/nlohmann_jsonConfigVersion.cmake)
        return()
    endif()
endforeach()
set(PACKAGE_VERSION_UNSUITABLE TRUE)
