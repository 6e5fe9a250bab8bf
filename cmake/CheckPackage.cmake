# Checks a Windows download made by cpack, in script mode:
#
#   cmake -DPACKAGE=build-win64/glossmith-2.1.0.1-win64.zip -DOBJDUMP=x86_64-w64-mingw32-objdump
#         -DMACHINE=x86-64 -P CheckPackage.cmake
#
# The zip must hold one folder named as the zip with exactly the four
# programs, README.md as in the sources and the licence texts; its programs
# must pass CheckWindowsBinary.cmake: PE files of MACHINE, Kt06.exe a GUI
# program and the others console programs, kt.dll exporting DeCoder and
# ReCoder by their plain names, nothing but system DLLs imported.

cmake_minimum_required(VERSION 3.25)

if(NOT PACKAGE OR NOT OBJDUMP OR NOT MACHINE)
  message(FATAL_ERROR "CheckPackage: PACKAGE, OBJDUMP and MACHINE are needed")
endif()
get_filename_component(PACKAGE "${PACKAGE}" ABSOLUTE)
get_filename_component(zipName "${PACKAGE}" NAME)
string(REGEX REPLACE "\\.zip$" "" top "${zipName}")
set(unpacked "${PACKAGE}.check")
file(REMOVE_RECURSE "${unpacked}")
file(ARCHIVE_EXTRACT INPUT "${PACKAGE}" DESTINATION "${unpacked}")

file(GLOB_RECURSE found RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT found)
set(expected "")
foreach(file Kt06.exe glossmith.exe ImpBig.exe kt.dll README.md licenses/GPL-3.txt licenses/gcc-runtime.txt
             licenses/mingw-w64-runtime.txt)
  list(APPEND expected "${top}/${file}")
endforeach()
list(SORT expected)
if(NOT found STREQUAL expected)
  list(JOIN found "\n  " foundText)
  message(FATAL_ERROR "${zipName} holds:\n  ${foundText}\ninstead of:\n  ${expected}")
endif()
file(SHA256 "${unpacked}/${top}/README.md" packed)
file(SHA256 "${CMAKE_CURRENT_LIST_DIR}/../README.md" source)
if(NOT packed STREQUAL source)
  message(FATAL_ERROR "${zipName}: README.md differs from the sources'")
endif()
message(STATUS "${zipName}: ${found}")

set(LABEL "${zipName}")
set(GUI Kt06.exe)
file(GLOB FILES "${unpacked}/${top}/*.exe")
include(${CMAKE_CURRENT_LIST_DIR}/CheckWindowsBinary.cmake)
set(LABEL "${zipName}")
set(FILES "${unpacked}/${top}/kt.dll")
set(EXPORTS DeCoder ReCoder)
include(${CMAKE_CURRENT_LIST_DIR}/CheckWindowsBinary.cmake)
file(REMOVE_RECURSE "${unpacked}")
