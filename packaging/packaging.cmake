# What the Debian package installs, and how CPack builds it. `./tallywork.sh package` makes a
# release build of it; the test run packages its own build and checks the result.
set(TW_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TW_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS tallywork RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The database reader is no command for the user: it lies with the program's helpers, where
# the program looks when it is not beside the executable.
install(TARGETS tallywork-dbread RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tallywork)

install(FILES ${TW_PACKAGING_DIR}/org.tallywork.tallywork.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TW_PACKAGING_DIR}/org.tallywork.tallywork.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TW_PACKAGING_DIR}/tallywork.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${TW_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Made from the sources at build time: the 256 px icon from the drawing, and the manual page
# and the change log compressed as Debian keeps them.
find_program(TW_RSVG_CONVERT rsvg-convert)
find_program(TW_GZIP gzip REQUIRED)
set(tw_made)
if(TW_RSVG_CONVERT)
    add_custom_command(OUTPUT ${TW_PACKAGING_OUT}/256x256/tallywork.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TW_PACKAGING_OUT}/256x256
        COMMAND ${TW_RSVG_CONVERT} -w 256 -h 256 -o ${TW_PACKAGING_OUT}/256x256/tallywork.png
                ${TW_PACKAGING_DIR}/tallywork.svg
        DEPENDS ${TW_PACKAGING_DIR}/tallywork.svg VERBATIM)
    list(APPEND tw_made ${TW_PACKAGING_OUT}/256x256/tallywork.png)
    install(FILES ${TW_PACKAGING_OUT}/256x256/tallywork.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
else()
    message(WARNING "rsvg-convert not found: the package will lack the 256 px icon")
endif()
foreach(page tallywork.1 changelog)
    add_custom_command(OUTPUT ${TW_PACKAGING_OUT}/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${TW_PACKAGING_DIR}/${page} ${TW_PACKAGING_OUT}/${page}
        COMMAND ${TW_GZIP} -9nf ${TW_PACKAGING_OUT}/${page}
        DEPENDS ${TW_PACKAGING_DIR}/${page} VERBATIM)
    list(APPEND tw_made ${TW_PACKAGING_OUT}/${page}.gz)
endforeach()
add_custom_target(tw_packaging_files ALL DEPENDS ${tw_made})
install(FILES ${TW_PACKAGING_OUT}/tallywork.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TW_PACKAGING_OUT}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallywork)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tallywork maintainers <maintainers@tallywork.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line is the synopsis; CPack indents the rest and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "post invoices into the ledger files of a DOS estimating system
Tallywork is the desktop program with which the office staff of a printing
business post invoices, one by one, into the accounts-receivable ledgers of
their DOS estimating system. The operator picks a customer (or looks a job up
in the estimating system's work-in-progress files), types the invoice and
posts it: one fixed-length record is appended to the customer's ledger file.

The ledger folder may lie on a file server shared by several PCs; the record
locks reach the server on a cifs mount without nobrl and on NFS with locking.")
include(CPack)
