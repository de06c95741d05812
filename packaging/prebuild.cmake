# SPDX-License-Identifier: ISC
#
# Run by cpack for each package before it is made. The manual page is
# gzipped at the best compression, with no name or time stamp in the
# header so that the package builds the same each time. The .deb carries
# the licence as Debian's copyright file and NEWS as a Debian changelog.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*.1")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9n "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(CPACK_GENERATOR STREQUAL "DEB")
  file(GLOB docdir "${CPACK_TEMPORARY_DIRECTORY}/*/${CPACK_CRLINES_DOCDIR}")
  file(REMOVE "${docdir}/LICENSE" "${docdir}/NEWS")
  file(COPY_FILE "${CPACK_CRLINES_DEB_COPYRIGHT}" "${docdir}/copyright")
  file(COPY_FILE "${CPACK_CRLINES_DEB_CHANGELOG}" "${docdir}/changelog")
  execute_process(COMMAND gzip -9n "${docdir}/changelog" COMMAND_ERROR_IS_FATAL ANY)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/entries.cmake)
crlines_fix_entries("${CPACK_TEMPORARY_DIRECTORY}")
