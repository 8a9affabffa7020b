# The Debian package of this build, made and checked: the files it installs, its control
# fields and what desktop-file-validate, appstreamcli and lintian say of it. Skipped where the
# package tools are missing; a sanitizer build makes no package.
if(NOT TW_SANITIZE)
    add_test(NAME package
        COMMAND ${CMAKE_CURRENT_LIST_DIR}/checkpackage.sh ${CMAKE_BINARY_DIR}
                ${CMAKE_CURRENT_LIST_DIR}/contents.txt)
    set_tests_properties(package PROPERTIES LABELS package SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
