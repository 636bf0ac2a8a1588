# The manual page as an HTML page, for the archives that carry no man: groff
# renders it (Debian package groff) and its creation date is left out, so that
# two builds of the same commit give the same bytes. The page says it is in
# Finnish and in UTF-8, and fits a phone's screen. Sets manual_html.
find_program(GROFF groff REQUIRED)
set(manual_html ${CMAKE_BINARY_DIR}/packaging/ostrilume.html)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${manual_html}
  COMMAND sh -c "${GROFF} -man -Thtml \"$1\" | sed -e '/^<!-- CreationDate:/d' -e 's/^<html>$/<html lang=\"fi\">/' -e 's/charset=US-ASCII/charset=utf-8/' -e 's|^<head>$|<head>\\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">|' > \"$2\""
          render ${CMAKE_SOURCE_DIR}/man/ostrilume.1 ${manual_html}
  DEPENDS ${CMAKE_SOURCE_DIR}/man/ostrilume.1 VERBATIM)
