# zlib, libpng and libjpeg: Debian's packages natively; on Windows the static
# i686 builds that tools/build-win-deps.sh leaves in LINDAR_DEPS.
#
# libjpeg's `boolean` on Windows: the library is built with libjpeg-turbo's
# Windows jconfig.h, installed beside jpeglib.h, which makes boolean an
# unsigned char (as the SDK's rpcndr.h does) and defines HAVE_BOOLEAN so that
# jmorecfg.h keeps it. Our code therefore sees the type the library was built
# with whether <windows.h> comes first or not, and needs no HAVE_BOOLEAN of
# its own. tests/platform/image_libraries_test.cpp checks it: libjpeg refuses
# structures whose size differs from its own.
if(WIN32)
  set(LINDAR_DEPS "/var/cache/lindar-deps" CACHE PATH "Static mingw libpng and libjpeg")
  # Imported static libraries, so that CMake knows libpng needs zlib and puts
  # libz.a after libpng16.a on every link line, whoever else links zlib.
  add_library(lindar_zlib STATIC IMPORTED GLOBAL)
  set_target_properties(lindar_zlib PROPERTIES IMPORTED_LOCATION /usr/i686-w64-mingw32/lib/libz.a)
  add_library(lindar_png STATIC IMPORTED GLOBAL)
  set_target_properties(lindar_png PROPERTIES IMPORTED_LOCATION ${LINDAR_DEPS}/lib/libpng16.a
    INTERFACE_LINK_LIBRARIES lindar_zlib)
  target_include_directories(lindar_png SYSTEM INTERFACE ${LINDAR_DEPS}/include)
  add_library(lindar_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(lindar_jpeg PROPERTIES IMPORTED_LOCATION ${LINDAR_DEPS}/lib/libjpeg.a)
  target_include_directories(lindar_jpeg SYSTEM INTERFACE ${LINDAR_DEPS}/include)
else()
  find_package(ZLIB REQUIRED)
  find_package(PNG REQUIRED)
  find_package(JPEG REQUIRED)
  add_library(lindar_zlib INTERFACE)
  target_link_libraries(lindar_zlib INTERFACE ZLIB::ZLIB)
  add_library(lindar_png INTERFACE)
  target_link_libraries(lindar_png INTERFACE PNG::PNG)
  add_library(lindar_jpeg INTERFACE)
  target_link_libraries(lindar_jpeg INTERFACE JPEG::JPEG)
endif()
