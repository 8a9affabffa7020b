# Postings from four processes at once and a poster killed at random moments. The short
# version runs with every test; the full one (4 x 500 postings, 200 kills) is labelled
# `stress`, which the README's test command leaves out: `ctest -L stress` runs it.
add_executable(test_stress ${CMAKE_CURRENT_LIST_DIR}/stresstest.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/../common/testmain.cpp)
target_link_libraries(test_stress PRIVATE tw_testsupport)
add_test(NAME stress_short COMMAND test_stress)
set_tests_properties(stress_short PROPERTIES
    ENVIRONMENT "LC_ALL=C.UTF-8;TW_STRESS_SCALE=short"
    TIMEOUT 300
    LABELS "core")
add_test(NAME stress_full COMMAND test_stress)
set_tests_properties(stress_full PROPERTIES
    ENVIRONMENT "LC_ALL=C.UTF-8;TW_STRESS_SCALE=full"
    TIMEOUT 1800
    LABELS "stress")
