# Run by cpack for each package before it is made. Debian keeps manual
# pages gzipped at the best compression, with no name or time stamp in the
# header so that the package builds the same each time; other packages keep
# the page as installed.
if(CPACK_GENERATOR STREQUAL "DEB")
  file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*.1")
  foreach(page IN LISTS pages)
    execute_process(COMMAND gzip -9n "${page}" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
