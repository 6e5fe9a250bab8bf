# The Windows download, made by cpack (cmake --build BUILD --target package):
# glossmith-<version>-win64.zip or -win32.zip, holding in one folder the four
# programs (stripped), README.md and, in licenses/, the licence texts of what
# the cross build links statically into them: GCC's runtime (libgcc,
# libstdc++) under the GPL-3 with the GCC Runtime Library Exception, and the
# mingw-w64 runtime with winpthreads. Debian keeps these texts with the
# packages of the compilers.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(width win64)
else()
  set(width win32)
endif()

set(licences
  "gcc-runtime.txt=/usr/share/doc/gcc-mingw-w64-base/copyright"
  "GPL-3.txt=/usr/share/common-licenses/GPL-3"
  "mingw-w64-runtime.txt=/usr/share/doc/mingw-w64-common/copyright")
foreach(licence IN LISTS licences)
  string(REGEX MATCH "^([^=]+)=(.+)$" ignored "${licence}")
  if(EXISTS "${CMAKE_MATCH_2}")
    install(FILES "${CMAKE_MATCH_2}" DESTINATION licenses RENAME "${CMAKE_MATCH_1}")
  else()
    message(WARNING "${CMAKE_MATCH_2} is missing: the package will lack ${CMAKE_MATCH_1}")
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME glossmith)
set(CPACK_PACKAGE_VENDOR Glossmith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME glossmith-${PROJECT_VERSION}-${width})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
