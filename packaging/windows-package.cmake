# The Windows release archive, ostrilume-VERSION-win64.zip: the program, the
# licence and the manual page as an HTML page, all in one folder. The
# archive's times are SOURCE_DATE_EPOCH, so that two builds of the same commit
# give the same bytes.
include(${CMAKE_CURRENT_LIST_DIR}/manual-html.cmake)
add_custom_target(documents ALL DEPENDS ${manual_html})

install(FILES ${manual_html} DESTINATION .)
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
