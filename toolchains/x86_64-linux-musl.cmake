# SPDX-License-Identifier: ISC
#
# crlines on musl, built with Debian's musl-tools: musl-gcc runs the C++
# compiler with musl in place of glibc, and links no C++ runtime library,
# which the program does not need. It does need libstdc++'s headers, which
# were configured for glibc and ask for its version: there is none. Other
# flags go in CXXFLAGS, since -DCMAKE_CXX_FLAGS would replace that answer.
#   cmake -S . -B build-musl -DCMAKE_TOOLCHAIN_FILE=toolchains/x86_64-linux-musl.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CXX_COMPILER musl-gcc)
execute_process(COMMAND x86_64-linux-gnu-g++ -dumpversion
  OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  /usr/include/c++/${version} /usr/include/x86_64-linux-gnu/c++/${version})
set(CMAKE_CXX_FLAGS_INIT "'-D__GLIBC_PREREQ(major, minor)=0'")
