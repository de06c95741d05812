# SPDX-License-Identifier: ISC
#
# crlines for Debian's armel (ARMv5TE), built by Debian's cross compiler
# (g++-arm-linux-gnueabi) and tested under qemu-user as the ARMv6 of a
# Raspberry Pi 1 or Zero. Linked statically, it runs on every 32-bit ARM:
#   cmake -S . -B build-armel -DCMAKE_TOOLCHAIN_FILE=toolchains/arm-linux-gnueabi.cmake -DCRLINES_STATIC=ON
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm1176 -L /usr/arm-linux-gnueabi)
endif()
