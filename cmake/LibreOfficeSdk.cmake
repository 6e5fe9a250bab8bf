# Finds the LibreOffice SDK (cppumaker, the UNO headers and libraries) and
# offers glossmith_uno_headers(), which generates the C++ headers of the UNO
# types a target uses from the installed type libraries at build time.
#
# Sets LIBREOFFICE_SDK_FOUND and LIBREOFFICE_PROGRAM_DIR, and defines the
# INTERFACE target glossmith::uno when found.

set(LIBREOFFICE_ROOT "/usr/lib/libreoffice" CACHE PATH "LibreOffice installation folder")
set(LIBREOFFICE_PROGRAM_DIR "${LIBREOFFICE_ROOT}/program")

find_program(LIBREOFFICE_CPPUMAKER cppumaker HINTS "${LIBREOFFICE_ROOT}/sdk/bin" NO_DEFAULT_PATH)
find_path(LIBREOFFICE_INCLUDE_DIR cppuhelper/bootstrap.hxx HINTS /usr/include/libreoffice "${LIBREOFFICE_ROOT}/sdk/include")
find_library(LIBREOFFICE_CPPU uno_cppu HINTS "${LIBREOFFICE_ROOT}/sdk/lib" NO_DEFAULT_PATH)
find_library(LIBREOFFICE_CPPUHELPER uno_cppuhelpergcc3 HINTS "${LIBREOFFICE_ROOT}/sdk/lib" NO_DEFAULT_PATH)
find_library(LIBREOFFICE_SAL uno_sal HINTS "${LIBREOFFICE_ROOT}/sdk/lib" NO_DEFAULT_PATH)

set(LIBREOFFICE_SDK_FOUND FALSE)
if(LIBREOFFICE_CPPUMAKER AND LIBREOFFICE_INCLUDE_DIR AND LIBREOFFICE_CPPU AND LIBREOFFICE_CPPUHELPER
   AND LIBREOFFICE_SAL AND EXISTS "${LIBREOFFICE_PROGRAM_DIR}/types.rdb"
   AND EXISTS "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb")
  set(LIBREOFFICE_SDK_FOUND TRUE)
endif()

if(LIBREOFFICE_SDK_FOUND AND NOT TARGET glossmith::uno)
  add_library(glossmith_uno INTERFACE)
  add_library(glossmith::uno ALIAS glossmith_uno)
  target_include_directories(glossmith_uno SYSTEM INTERFACE "${LIBREOFFICE_INCLUDE_DIR}")
  target_compile_definitions(glossmith_uno INTERFACE LINUX UNX GCC CPPU_ENV=gcc3)
  target_link_libraries(glossmith_uno INTERFACE "${LIBREOFFICE_CPPU}" "${LIBREOFFICE_CPPUHELPER}" "${LIBREOFFICE_SAL}")
  # The dev links point into program/, whose libraries need their neighbours
  # at link time and at run time.
  target_link_options(glossmith_uno INTERFACE "LINKER:-rpath-link,${LIBREOFFICE_PROGRAM_DIR}"
                      "LINKER:-rpath,${LIBREOFFICE_PROGRAM_DIR}")
endif()

# glossmith_uno_headers(target TYPES com.sun.star.x.Y ...) generates the
# headers of the listed types (and the types they use) into the build folder
# and adds them to the target's include path.
function(glossmith_uno_headers target)
  cmake_parse_arguments(U "" "" "TYPES" ${ARGN})
  set(out "${CMAKE_CURRENT_BINARY_DIR}/uno-headers")
  set(stamp "${out}/.stamp")
  set(type_args)
  foreach(t ${U_TYPES})
    list(APPEND type_args "-T${t}")
  endforeach()
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${out}"
    COMMAND "${LIBREOFFICE_CPPUMAKER}" -Gc "-O${out}" ${type_args}
            "${LIBREOFFICE_PROGRAM_DIR}/types.rdb" "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb"
    COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}"
    DEPENDS "${LIBREOFFICE_PROGRAM_DIR}/types.rdb" "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb"
    COMMENT "Generating UNO headers for ${target}"
    VERBATIM)
  add_custom_target(${target}_uno_headers DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_uno_headers)
  target_include_directories(${target} SYSTEM PRIVATE "${out}")
endfunction()
