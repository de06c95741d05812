# SPDX-License-Identifier: ISC
#
# cmake -S . -B build-i686-linux-gnu --toolchain toolchains/i686-linux-gnu.cmake
# builds crlines for i686-linux-gnu with Debian's cross compiler; ctest then
# runs the tests through qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
