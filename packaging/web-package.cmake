# The calculator as a web page, and its archive ostrilume-VERSION-web.zip: the
# page (web/) with the program, the licence and the manual page as an HTML
# page, in one folder that any static web server serves and that a browser
# also opens straight from a disk. Served, it can be installed (its web app
# manifest and icons) and works offline after one visit (its service worker).
#
# The program needs no change of its own for the page, but two: binaryen's
# wasm-opt (Debian package binaryen) makes it smaller and lets it wait for
# standard input without blocking the browser (asyncify, for the one import
# that reads), and its memory has a ceiling, so that an expression too large
# for it ends with the program's own message. malloc is exported for the
# memory in which the waiting program's stack is kept. The module is written
# into a script as base64: a page opened from a file may load scripts, but
# not fetch other files.
find_program(OSTRILUME_WASM_OPT wasm-opt REQUIRED)
find_program(OSTRILUME_BASE64 base64 REQUIRED)
set(OSTRILUME_WEB_MEMORY_MB 256 CACHE STRING "The most memory the web program may use, in MiB")
math(EXPR memory_bytes "${OSTRILUME_WEB_MEMORY_MB} * 1024 * 1024")
target_link_options(ostrilume PRIVATE -Wl,--max-memory=${memory_bytes} -Wl,--export=malloc)
add_custom_command(TARGET ostrilume POST_BUILD
  COMMAND ${OSTRILUME_WASM_OPT} -Oz --asyncify --pass-arg=asyncify-imports@wasi_snapshot_preview1.fd_read
          --strip-debug --strip-producers $<TARGET_FILE:ostrilume> -o $<TARGET_FILE:ostrilume>
  VERBATIM)

include(${CMAKE_CURRENT_LIST_DIR}/manual-html.cmake)
# The files under their own names first; the page as released is made from
# them in one step, at the end.
set(page ${CMAKE_BINARY_DIR}/web-files)
set(page_sources index.html ostrilume.css ostrilume.js ostrilume-address.js ostrilume-transcript.js
  ostrilume-summary.js ostrilume-field.js ostrilume-share.js ostrilume-worker.js ostrilume.svg
  ostrilume.webmanifest)
set(page_files)
foreach(name ${page_sources})
  if(name MATCHES "\\.js$")
    add_custom_command(OUTPUT ${page}/${name}
      COMMAND ${CMAKE_COMMAND} -D INPUT=${CMAKE_SOURCE_DIR}/web/${name} -D OUTPUT=${page}/${name}
              -P ${CMAKE_CURRENT_LIST_DIR}/page-script.cmake
      DEPENDS ${CMAKE_SOURCE_DIR}/web/${name} ${CMAKE_CURRENT_LIST_DIR}/page-script.cmake VERBATIM)
  else()
    add_custom_command(OUTPUT ${page}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${name} ${page}/${name}
      DEPENDS ${CMAKE_SOURCE_DIR}/web/${name} VERBATIM)
  endif()
  list(APPEND page_files ${page}/${name})
endforeach()
add_custom_command(OUTPUT ${page}/ostrilume-wasm.js
  COMMAND sh -c "{ printf \"'use strict';\\n// The calculator's program, built from its C++ sources for WebAssembly.\\nconst ostrilumeWasm = '\"; \"$1\" -w0 \"$2\"; printf \"';\\n\"; } > \"$3\""
          encode ${OSTRILUME_BASE64} $<TARGET_FILE:ostrilume> ${page}/ostrilume-wasm.js
  DEPENDS ostrilume VERBATIM)
add_custom_command(OUTPUT ${page}/ostrilume.html ${page}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -D MANUAL=${manual_html} -D SECTION=${CMAKE_SOURCE_DIR}/web/manual-section.html
          -D OUTPUT=${page}/ostrilume.html -P ${CMAKE_CURRENT_LIST_DIR}/web-manual.cmake
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${page}/LICENSE.txt
  DEPENDS ${manual_html} ${CMAKE_SOURCE_DIR}/web/manual-section.html ${CMAKE_CURRENT_LIST_DIR}/web-manual.cmake
          ${CMAKE_SOURCE_DIR}/LICENSE VERBATIM)
list(APPEND page_files ${page}/ostrilume-wasm.js ${page}/ostrilume.html ${page}/LICENSE.txt)

# The icons that installing the page asks for, drawn from its own (Debian
# package librsvg2-bin) and stored in its few colours (optipng), which halves
# them. The browser fetches them once, when the page is installed, and keeps
# them with the installed app, so the service worker need not: the page and
# all it keeps stay within 150 kB.
find_program(OSTRILUME_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(OSTRILUME_OPTIPNG optipng REQUIRED)
foreach(size 192 512)
  add_custom_command(OUTPUT ${page}/ostrilume-${size}.png
    COMMAND ${OSTRILUME_RSVG_CONVERT} -w ${size} -h ${size} ${CMAKE_SOURCE_DIR}/web/ostrilume.svg
            -o ${page}/ostrilume-${size}.png
    COMMAND ${OSTRILUME_OPTIPNG} -quiet -o2 -strip all ${page}/ostrilume-${size}.png
    DEPENDS ${CMAKE_SOURCE_DIR}/web/ostrilume.svg VERBATIM)
  list(APPEND icon_files ${page}/ostrilume-${size}.png)
endforeach()

# The page as released, in web/: the files above with the scripts and the
# style sheet named by their digests, and the service worker that keeps them.
set(release ${CMAKE_BINARY_DIR}/web)
list(APPEND page_files ${icon_files})
add_custom_command(OUTPUT ${release}/index.html ${release}/ostrilume-sw.js
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${release}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${page} ${release}
  COMMAND ${CMAKE_COMMAND} -D PAGE=${release} -P ${CMAKE_CURRENT_LIST_DIR}/page-names.cmake
  COMMAND ${CMAKE_COMMAND} -D TEMPLATE=${CMAKE_SOURCE_DIR}/web/ostrilume-sw.js -D OUTPUT=${release}/ostrilume-sw.js
          -D VERSION=${PROJECT_VERSION} -D PAGE=${release} -P ${CMAKE_CURRENT_LIST_DIR}/service-worker.cmake
  COMMAND ${CMAKE_COMMAND} -D INPUT=${release}/ostrilume-sw.js -D OUTPUT=${release}/ostrilume-sw.js
          -P ${CMAKE_CURRENT_LIST_DIR}/page-script.cmake
  DEPENDS ${page_files} ${CMAKE_SOURCE_DIR}/web/ostrilume-sw.js ${CMAKE_CURRENT_LIST_DIR}/page-names.cmake
          ${CMAKE_CURRENT_LIST_DIR}/service-worker.cmake ${CMAKE_CURRENT_LIST_DIR}/page-script.cmake
  VERBATIM)
add_custom_target(documents ALL DEPENDS ${release}/index.html ${release}/ostrilume-sw.js)

install(DIRECTORY ${release}/ DESTINATION .)

set(archive_suffix web)
include(${CMAKE_CURRENT_LIST_DIR}/zip-archive.cmake)
