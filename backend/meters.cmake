# ListModel, MeterStore and the preset lists with the equaliser curve.
target_sources(qvbackend PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/list_model.h ${CMAKE_CURRENT_LIST_DIR}/list_model.cpp
    ${CMAKE_CURRENT_LIST_DIR}/meter_store.h ${CMAKE_CURRENT_LIST_DIR}/meter_store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/presets.h ${CMAKE_CURRENT_LIST_DIR}/presets.cpp
)
