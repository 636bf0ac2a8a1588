# The installed files beside the program, and the Debian package that CPack
# builds from them. cmake --install installs the program, its manual page and
# the licence. The package carries, in their place, the documents Debian wants
# (the licence in its machine-readable copyright format and the changelog,
# compressed as Debian keeps it), a binary stripped as dh_strip strips it, and
# the same bytes from every build of the same commit. A distribution that
# packages the program itself brings its own copyright and changelog.

set(CPACK_PACKAGE_NAME ostrilume)
set(CPACK_PACKAGE_VENDOR "Ostrilume-kehitystiimi")
set(CPACK_PACKAGE_CONTACT "Ostrilume-kehitystiimi <ostrilume@users.noreply.invalid>")

set(documents ${CMAKE_BINARY_DIR}/packaging)
find_program(GZIP gzip REQUIRED)

# gzip -n leaves the file's name and time out of the header, so the bytes
# depend on the content alone.
function(add_compressed source name)
  add_custom_command(OUTPUT ${documents}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${documents}/${name}
    COMMAND ${GZIP} -9nf ${documents}/${name}
    DEPENDS ${source} VERBATIM)
endfunction()
add_compressed(${CMAKE_SOURCE_DIR}/man/ostrilume.1 ostrilume.1)
add_compressed(${CMAKE_SOURCE_DIR}/packaging/changelog changelog)
add_custom_target(documents ALL DEPENDS ${documents}/ostrilume.1.gz ${documents}/changelog.gz)

# The copyright format indents a licence text by one space and writes an empty
# line as a lone point.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission is hereby granted" start)
string(SUBSTRING "${licence}" ${start} -1 licence_text)
string(STRIP "${licence_text}" licence_text)
string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " licence_text " ${licence_text}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright.in ${documents}/copyright @ONLY)

install(FILES ${documents}/ostrilume.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT licence)
install(FILES ${documents}/copyright ${documents}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
  COMPONENT debian EXCLUDE_FROM_ALL)
# dh_strip also drops the compiler's .comment and the .note section; a
# stripping install (cpack, cmake --install --strip) does the same.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ostrilume\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")

# The package: the program and its manual page, then the Debian documents.
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/" "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Finnish console calculator in single precision")
set(CPACK_PACKAGE_DESCRIPTION "Ostrilume reads one arithmetic expression (decimal numbers, + - * / ^, a sign
minus and nested parentheses), evaluates it in IEEE single precision and prints
the value in a framed answer box. With --debug it explains every step. The user
interface is in Finnish.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OSTRILUME_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/source_date_epoch.cmake)
include(CPack)
