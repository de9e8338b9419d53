# Cross build for 32-bit ARM hard-float Linux (armhf) with Debian's
# arm-linux-gnueabihf compiler, against the armhf sysroot that
# scripts/test-armhf.sh prepares in .cache/armhf/sysroot. Programs built here
# run on this machine through qemu-arm, CTest's test programs included.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

get_filename_component(PM5544_ARMHF_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/../.cache/armhf/sysroot" ABSOLUTE)
set(CMAKE_SYSROOT "${PM5544_ARMHF_SYSROOT}")

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# GCC notes on ARM that the passing of some standard-library types changed in
# GCC 7.1; everything here is built by one compiler, so the note is noise.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

# Headers, libraries and CMake packages come from the sysroot only; tools
# from this machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the sysroot's .pc files and prefixes their paths with it.
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_LIBDIR}
  "${PM5544_ARMHF_SYSROOT}/usr/lib/arm-linux-gnueabihf/pkgconfig:${PM5544_ARMHF_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${PM5544_ARMHF_SYSROOT}")

# The emulator loads the ARM dynamic linker and libraries from the sysroot.
find_program(PM5544_QEMU_ARM qemu-arm REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${PM5544_QEMU_ARM};-L;${PM5544_ARMHF_SYSROOT}")
