# A release archive of what the install rules put into one folder,
# ostrilume-VERSION-${archive_suffix}.zip. Every file in it carries the time
# SOURCE_DATE_EPOCH, so that two builds of the same commit give the same bytes.
set(CPACK_PACKAGE_NAME ostrilume)
set(CPACK_PACKAGE_VENDOR "Ostrilume-kehitystiimi")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ostrilume-${PROJECT_VERSION}-${archive_suffix})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OSTRILUME_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/source_date_epoch.cmake)
include(CPack)
