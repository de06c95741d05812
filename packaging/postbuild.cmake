# SPDX-License-Identifier: ISC
#
# Run by cpack after it has made a package. In a .deb's Installed-Size,
# CPack counts each folder as large as its file system says, which is
# 4 KiB on ext4 and a few bytes on tmpfs, so the same package came out
# different by where it was built. The .deb is made again from its own
# contents, its size counted as dpkg-gencontrol counts it: 1 KiB for
# each folder, and each file rounded up to whole KiB.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/entries.cmake)
set(root "${CPACK_TOPLEVEL_DIRECTORY}/deb-contents")
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE_RECURSE "${root}")
  execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${root}"
    COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${root}" "${root}/*")
  set(kib 1)
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^DEBIAN(/|$)")
      continue()
    elseif(IS_DIRECTORY "${root}/${entry}")
      math(EXPR kib "${kib} + 1")
    else()
      file(SIZE "${root}/${entry}" size)
      math(EXPR kib "${kib} + (${size} + 1023) / 1024")
    endif()
  endforeach()
  file(READ "${root}/DEBIAN/control" control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n"
    control "${control}")
  file(WRITE "${root}/DEBIAN/control" "${control}")
  crlines_fix_entries("${root}")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${root}" "${deb}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE_RECURSE "${root}")
