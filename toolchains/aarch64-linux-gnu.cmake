# SPDX-License-Identifier: ISC
#
# cmake -S . -B build-aarch64-linux-gnu --toolchain toolchains/aarch64-linux-gnu.cmake
# builds crlines for aarch64-linux-gnu with Debian's cross compiler; ctest then
# runs the tests through qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
