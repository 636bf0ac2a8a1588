# The manual page as an HTML page, for the archives that carry no man: groff
# renders it (Debian package groff) and its creation date is left out, so that
# two builds of the same commit give the same bytes. Sets manual_html.
find_program(GROFF groff REQUIRED)
set(manual_html ${CMAKE_BINARY_DIR}/packaging/ostrilume.html)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${manual_html}
  COMMAND sh -c "${GROFF} -man -Thtml \"$1\" | sed '/^<!-- CreationDate:/d' > \"$2\""
          render ${CMAKE_SOURCE_DIR}/man/ostrilume.1 ${manual_html}
  DEPENDS ${CMAKE_SOURCE_DIR}/man/ostrilume.1 VERBATIM)
