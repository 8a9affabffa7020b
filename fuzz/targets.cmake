# Every fuzz target: fuzz/fuzz_<name>.cpp, with its saved corpus in fuzz/corpus/<name>/.
file(GLOB _tw_fuzz_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fuzz_*.cpp)
set(TW_FUZZ_TARGETS)
foreach(_f ${_tw_fuzz_sources})
    get_filename_component(_name ${_f} NAME_WE)
    string(REGEX REPLACE "^fuzz_" "" _name ${_name})
    list(APPEND TW_FUZZ_TARGETS ${_name})
endforeach()
list(SORT TW_FUZZ_TARGETS)
