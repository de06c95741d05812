# SPDX-License-Identifier: ISC
#
# crlines for Debian's armhf, built by Debian's cross compiler
# (g++-arm-linux-gnueabihf) and tested under qemu-user:
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=toolchains/arm-linux-gnueabihf.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/arm-linux-gnueabihf)
endif()
