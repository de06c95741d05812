# SPDX-License-Identifier: ISC
#
# cmake -S . -B build-arm-linux-gnueabihf --toolchain toolchains/arm-linux-gnueabihf.cmake
# builds crlines for arm-linux-gnueabihf with Debian's cross compiler; ctest then
# runs the tests through qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/arm-linux-gnueabihf)
