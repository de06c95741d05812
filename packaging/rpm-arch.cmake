# SPDX-License-Identifier: ISC
#
# rpm's name for the processor of a GNU system type, by which an .rpm is
# named: the type's first word, but armv7hl for Debian's armhf (ARMv7 with
# hardware floating point). packaging/cpack.cmake includes it, and the
# release runs it to name its files before it builds:
#   cmake -DTYPE=arm-linux-gnueabihf -P packaging/rpm-arch.cmake
function(crlines_rpm_arch type out)
  string(REGEX REPLACE "-.*" "" arch ${type})
  if(type MATCHES "^arm.*-gnueabihf$")
    set(arch armv7hl)
  endif()
  set(${out} ${arch} PARENT_SCOPE)
endfunction()

if(DEFINED TYPE)
  crlines_rpm_arch(${TYPE} arch)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${arch})
endif()
