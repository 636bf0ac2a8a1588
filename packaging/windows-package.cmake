# The Windows release archive, ostrilume-VERSION-win64.zip: the program, the
# licence and the manual page as an HTML page, all in one folder. groff renders
# the page (Debian package groff); its creation date is left out, and the
# archive's times are SOURCE_DATE_EPOCH, so that two builds of the same commit
# give the same bytes.
find_program(GROFF groff REQUIRED)
set(manual ${CMAKE_BINARY_DIR}/packaging/ostrilume.html)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${manual}
  COMMAND sh -c "${GROFF} -man -Thtml \"$1\" | sed '/^<!-- CreationDate:/d' > \"$2\""
          render ${CMAKE_SOURCE_DIR}/man/ostrilume.1 ${manual}
  DEPENDS ${CMAKE_SOURCE_DIR}/man/ostrilume.1 VERBATIM)
add_custom_target(documents ALL DEPENDS ${manual})

install(FILES ${manual} DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_PACKAGE_NAME ostrilume)
set(CPACK_PACKAGE_VENDOR "Ostrilume-kehitystiimi")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ostrilume-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_OSTRILUME_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/source_date_epoch.cmake)
include(CPack)
