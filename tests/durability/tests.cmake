# What reaches the disk: folder syncs after a file is made and the cut-back of a failed write.
# The program replaces the system's fsync with a recording stand-in, so it runs on its own.
add_executable(test_durability ${CMAKE_CURRENT_LIST_DIR}/durabilitytest.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/../common/testmain.cpp)
target_link_libraries(test_durability PRIVATE tw_testsupport)
add_test(NAME durability COMMAND test_durability)
set_tests_properties(durability PROPERTIES
    ENVIRONMENT "LC_ALL=C.UTF-8"
    TIMEOUT 300
    LABELS "core")
