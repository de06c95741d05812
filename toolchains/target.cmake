# SPDX-License-Identifier: ISC
#
# crlines for the Debian architecture CRLINES_ARCH, by its line in
# packaging/targets: built by Debian's cross compiler for it (that of its
# static program with -DCRLINES_STATIC=ON), and its programs run by
# qemu-user as that line's processor, or natively where
# -DCMAKE_CROSSCOMPILING_EMULATOR= is given. For armhf:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=toolchains/target.cmake -DCRLINES_ARCH=armhf
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CRLINES_ARCH CRLINES_STATIC)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../packaging/targets target REGEX "^${CRLINES_ARCH} ")
if(NOT CRLINES_ARCH OR NOT target)
  message(FATAL_ERROR "crlines: CRLINES_ARCH must name a line of packaging/targets")
endif()
string(REGEX REPLACE " +" ";" target "${target}")
if(CRLINES_STATIC)
  list(GET target 4 type)
  list(GET target 6 cpu)
else()
  list(GET target 1 type)
  list(GET target 3 cpu)
endif()
list(GET target 7 qemu)
string(REGEX REPLACE "-.*" "" processor ${type})
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})
set(CMAKE_CXX_COMPILER ${type}-g++)
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${qemu} -cpu ${cpu} -L /usr/${type})
endif()
