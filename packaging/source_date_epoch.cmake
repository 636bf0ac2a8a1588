# Run by cpack before it packs. Every file in the package carries a time, and
# without SOURCE_DATE_EPOCH that would be the time of this build, so two builds
# of the same source would differ. Unless the caller set it, the time is that
# of the last commit, or, in a source tree that is not a git checkout (an
# unpacked tarball), that of the newest changelog entry.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  file(REAL_PATH ${CPACK_OSTRILUME_SOURCE_DIR} source)
  execute_process(COMMAND git rev-parse --show-toplevel WORKING_DIRECTORY ${source}
    OUTPUT_VARIABLE checkout OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(epoch "")
  if(checkout STREQUAL source)
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${source}
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    execute_process(COMMAND dpkg-parsechangelog -l ${source}/packaging/changelog -S Timestamp
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
