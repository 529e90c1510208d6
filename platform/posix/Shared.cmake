# What the Linux back ends (sdl, headless) build and link alike: every .cpp
# in platform/posix/, the portable decoders over libjpeg and libpng, and the
# pkg-config modules the back end named in MIVEX_PLATFORM_MODULES
# (PREFIX=module pairs, in link order), each linked as PkgConfig::PREFIX.
file(GLOB MIVEX_POSIX_SOURCES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
     ${CMAKE_SOURCE_DIR}/platform/posix/*.cpp)
list(APPEND MIVEX_PLATFORM_BACKEND ${MIVEX_POSIX_SOURCES} platform/JpegDecoder.cpp
     platform/PngDecoder.cpp)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
foreach(pair ${MIVEX_PLATFORM_MODULES})
  string(REGEX REPLACE "=.*$" "" prefix ${pair})
  string(REGEX REPLACE "^[^=]*=" "" module ${pair})
  pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${module})
  list(APPEND MIVEX_PLATFORM_LINKS PkgConfig::${prefix})
endforeach()
list(APPEND MIVEX_PLATFORM_LINKS Threads::Threads)
