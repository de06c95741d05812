# SPDX-License-Identifier: ISC
#
# crlines for Debian's i386, built by Debian's cross compiler
# (g++-i686-linux-gnu) and tested under qemu-user:
#   cmake -S . -B build-i386 -DCMAKE_TOOLCHAIN_FILE=toolchains/i686-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
endif()
