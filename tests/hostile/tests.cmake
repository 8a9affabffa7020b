# The program among hostile surroundings: locked, read-only, full and vanishing ledger
# folders, a 2 GB work-in-progress file, junk in every file it reads.
add_executable(test_hostile ${CMAKE_CURRENT_LIST_DIR}/hostiletest.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/../common/testmain.cpp)
target_link_libraries(test_hostile PRIVATE tw_testsupport)
add_dependencies(test_hostile tallywork-dbread)
add_test(NAME hostile COMMAND test_hostile)
set_tests_properties(hostile PROPERTIES
    ENVIRONMENT "LC_ALL=C.UTF-8"
    TIMEOUT 600
    LABELS "core")
