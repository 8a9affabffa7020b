# The saved corpus of every fuzz target, replayed by the normal (g++) build in a few seconds:
# each target linked with a small main instead of libFuzzer, one test per target.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)

add_library(tw_fuzzsupport STATIC ${CMAKE_CURRENT_LIST_DIR}/fuzzsupport.cpp)
target_include_directories(tw_fuzzsupport PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tw_fuzzsupport PUBLIC tw_core)

foreach(t ${TW_FUZZ_TARGETS})
    add_executable(fuzzreplay_${t} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${t}.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
    target_link_libraries(fuzzreplay_${t} PRIVATE tw_fuzzsupport)
    add_test(NAME fuzzreplay_${t}
             COMMAND fuzzreplay_${t} ${CMAKE_CURRENT_LIST_DIR}/corpus/${t})
    set_tests_properties(fuzzreplay_${t} PROPERTIES
        ENVIRONMENT "LC_ALL=C.UTF-8"
        TIMEOUT 120
        LABELS "fuzzreplay")
endforeach()
