# SPDX-License-Identifier: ISC
#
# cpack in the build folder writes a .deb where dpkg-shlibdeps can work
# out what the program needs, and an .rpm where rpmbuild is found. Both
# take the install rules as they are; packaging/prebuild.cmake then fits
# the documents to each format, and packaging/postbuild.cmake mends the
# .deb. The tarball of the program is packaging/release's: one that cpack
# made would record the builder as the owner of its folders.

set(CPACK_GENERATOR "")
find_program(CRLINES_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(CRLINES_DPKG_SHLIBDEPS)
  list(APPEND CPACK_GENERATOR DEB)
endif()
find_program(CRLINES_RPMBUILD rpmbuild)
if(CRLINES_RPMBUILD)
  list(APPEND CPACK_GENERATOR RPM)
endif()
if(NOT CPACK_GENERATOR)
  message(STATUS "crlines: cpack can make no package here: it needs "
    "dpkg-shlibdeps for a .deb or rpmbuild for an .rpm")
endif()

# The packages name the architecture that the compiler builds for, which
# need not be the one uname reports (under setarch, or to a cross
# compiler). rpm's name for it is in packaging/targets, and is otherwise
# the type's first word.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
  OUTPUT_VARIABLE target OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE failed ERROR_QUIET)
if(NOT failed AND target MATCHES "^([^-]+)-")
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_MATCH_1})
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/targets line REGEX "^[^ ]+ +${target} ")
  if(line MATCHES "^[^ ]+ +[^ ]+ +([^ ]+)")
    set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_MATCH_1})
  endif()
  if(CRLINES_DPKG_SHLIBDEPS)
    execute_process(COMMAND dpkg-architecture -t ${target} -qDEB_HOST_ARCH
      OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
endif()

set(authors "The crlines authors")
set(CPACK_PACKAGE_VENDOR ${authors})
set(CPACK_PACKAGE_CONTACT "${authors} <crlines@example.org>")
# Both formats show the long description as written, so its lines are
# kept short.
set(CPACK_PACKAGE_DESCRIPTION [[
crlines copies standard input to standard output and changes only the
line feeds: each is written as a carriage return followed by a DEL byte
or, with -d, as a carriage return alone. Every other byte is copied
unchanged, so it serves for binary data and in pipelines.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cmake-version.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/prebuild.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/postbuild.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The armhf package refuses a processor older than ARMv7.
configure_file(${CMAKE_CURRENT_LIST_DIR}/preinst.in preinst @ONLY)
if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE STREQUAL armhf)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/preinst)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_LICENSE ISC)
set(CPACK_RPM_PACKAGE_GROUP "Applications/Text")
set(CPACK_RPM_PACKAGE_SUMMARY
  "Write every line feed as a carriage return and a DEL byte")
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# The .deb and the .rpm install under /usr, whatever prefix the build has.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
  /usr/${CMAKE_INSTALL_MANDIR} /usr/${CMAKE_INSTALL_MANDIR}/man1)
set(docdir /usr/${CMAKE_INSTALL_DOCDIR})
set(CPACK_RPM_USER_FILELIST "%license ${docdir}/LICENSE" "%doc ${docdir}/NEWS")
# Built with SOURCE_DATE_EPOCH set, the package carries that date as its
# build time and as no file's later time. It names no build host, and
# has no links by build ID, which would make it own /usr/lib/.build-id.
# Its payload's compression and its digests are set here, where a macro
# file in /etc/rpm cannot change them. rpm's own passes after the install
# are left out: the program is stripped and the page compressed already,
# and a pass that wrote them again would date them by the clock, which may
# be behind the release.
set(CPACK_RPM_SPEC_MORE_DEFINE "\
%define packager ${CPACK_PACKAGE_CONTACT}
%define _buildhost reproducible
%define _build_id_links none
%define __spec_install_post %{nil}
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _binary_payload w9.gzdio
%define _binary_filedigest_algorithm 8")

# NEWS is written once and shipped as each format's changelog: in the
# .deb as a Debian changelog, in the .rpm as the %changelog section.
# An entry starts with a line "crlines VERSION, YYYY-MM-DD"; its items
# start with "  * " and go on in lines indented by four spaces.
function(crlines_changelogs news deb rpm)
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  # Sakamoto's method for the day of the week.
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  file(STRINGS ${news} lines)
  set(deb_text "")
  set(rpm_text "")
  set(trailer "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^crlines ([^,]+), ([0-9]+)-([0-9]+)-([0-9]+)$")
      set(version ${CMAKE_MATCH_1})
      math(EXPR year "${CMAKE_MATCH_2}")
      math(EXPR month "${CMAKE_MATCH_3}")
      set(day ${CMAKE_MATCH_4})
      math(EXPR m "${month} - 1")
      list(GET offsets ${m} offset)
      list(GET months ${m} month_name)
      set(y ${year})
      if(month LESS 3)
        math(EXPR y "${y} - 1")
      endif()
      math(EXPR w "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
      list(GET weekdays ${w} weekday)
      if(trailer)
        string(APPEND deb_text "${trailer}\n")
        string(APPEND rpm_text "\n")
      endif()
      string(APPEND deb_text "crlines (${version}) unstable; urgency=medium\n\n")
      set(trailer "\n -- ${CPACK_PACKAGE_CONTACT}  ${weekday}, ${day} ${month_name} ${year} 00:00:00 +0000\n")
      string(APPEND rpm_text "* ${weekday} ${month_name} ${day} ${year} ${CPACK_PACKAGE_CONTACT} - ${version}-${CPACK_RPM_PACKAGE_RELEASE}\n")
    elseif(line MATCHES "^  \\* (.*)")
      string(APPEND deb_text "${line}\n")
      string(APPEND rpm_text "- ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^    (.*)")
      string(APPEND deb_text "${line}\n")
      string(APPEND rpm_text "  ${CMAKE_MATCH_1}\n")
    endif()
  endforeach()
  file(WRITE ${deb} "${deb_text}${trailer}")
  file(WRITE ${rpm} "${rpm_text}")
endfunction()

# Both are read at configure time, so a change to either configures anew.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/NEWS ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_CRLINES_DEB_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog)
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)
crlines_changelogs(${PROJECT_SOURCE_DIR}/NEWS
  ${CPACK_CRLINES_DEB_CHANGELOG} ${CPACK_RPM_CHANGELOG_FILE})

# Debian's copyright file, in its machine-readable format, carries the
# licence from LICENSE: the text after the copyright line and the blank
# line under it, each line indented and each blank line written as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence)
list(POP_FRONT licence copyright)
list(POP_FRONT licence)
string(REGEX REPLACE "^Copyright \\(c\\) " "" copyright "${copyright}")
set(body "")
foreach(line IN LISTS licence)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND body " ${line}\n")
endforeach()
set(CPACK_CRLINES_DEB_COPYRIGHT ${CMAKE_CURRENT_BINARY_DIR}/copyright)
file(WRITE ${CPACK_CRLINES_DEB_COPYRIGHT} "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: crlines
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${copyright}
License: ISC
${body}")
set(CPACK_CRLINES_DOCDIR ${CMAKE_INSTALL_DOCDIR})

include(CPack)
