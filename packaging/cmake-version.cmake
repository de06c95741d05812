# SPDX-License-Identifier: ISC
#
# CPack runs the scripts that fit the packages to Debian's and Fedora's
# rules from 3.21 on; an older one would leave them out and write other
# packages without a word. cpack reads this before it makes any package,
# and the release and the tests run it with cmake -P, so that each stops
# with the same reason.
if(CMAKE_VERSION VERSION_LESS 3.21)
  message(FATAL_ERROR "crlines: packages need CMake 3.21 or later; this is CMake ${CMAKE_VERSION}")
endif()
