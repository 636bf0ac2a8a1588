# The Windows release archive, ostrilume-VERSION-win64.zip: the program, the
# licence and the manual page as an HTML page, all in one folder.
include(${CMAKE_CURRENT_LIST_DIR}/manual-html.cmake)
add_custom_target(documents ALL DEPENDS ${manual_html})

install(FILES ${manual_html} DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_STRIP_FILES ON)
set(archive_suffix win64)
include(${CMAKE_CURRENT_LIST_DIR}/zip-archive.cmake)
