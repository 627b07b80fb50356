# Cross build for arm64 Linux with Debian's cross compiler
# (crossbuild-essential-arm64) against Debian's arm64 packages installed side
# by side (multiarch, under /usr/lib/aarch64-linux-gnu). scripts/build-arm64
# installs both and uses this file:
#
#   cmake -S . -B build-arm64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake
#
# The built programs and tests run here under Debian's user-mode emulator
# (qemu-user-static), which ctest, the test discovery and the man pages use.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The arm64 libraries and their CMake files, not this machine's: the search
# goes to /usr/lib/aarch64-linux-gnu (from CMAKE_LIBRARY_ARCHITECTURE), and
# the cross compiler finds the multiarch headers and libraries by itself.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Qt's code generators (moc, uic, rcc) are this machine's: Debian installs
# them once, for the build architecture (qt6-base-dev-tools).
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

find_program(QTS_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64)
if(QTS_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QTS_QEMU_AARCH64})
endif()
