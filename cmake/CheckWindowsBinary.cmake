# Checks Windows binaries with objdump, in script mode:
#
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DFILES="a.exe;b.dll"
#         [-DEXPORTS="DeCoder;ReCoder"] [-DSTDCALL="DeCoder@8;ReCoder@8"]
#         [-DMACHINE=i386] [-DGUI="Kt06.exe"] [-DLABEL=i686] -P CheckWindowsBinary.cmake
#
# FOLDER=path in place of FILES checks every .exe and .dll in that folder.
#
# Every file may import only DLLs of the system and DLLs that lie beside it
# (the build's own): a libstdc++-6.dll or libgcc_s_seh-1.dll among the
# imports means the runtime was not linked statically, and the program would
# not start on a machine without mingw-w64. With EXPORTS, each file must
# export exactly these names, undecorated. With STDCALL, the code of each
# named export must return with "ret $N", removing its N bytes of arguments
# from the stack as a stdcall caller expects (needs the file's symbols).
# With MACHINE, each file must be a PE file of that machine ("i386",
# "x86-64"). With GUI, the programs named there must be Windows GUI
# programs and every other .exe a console program.

cmake_minimum_required(VERSION 3.25)

set(system_dlls
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll ucrtbase.dll user32.dll version.dll winmm.dll ws2_32.dll)

if(LABEL)
  set(LABEL "${LABEL} ")
endif()
if(FOLDER)
  file(GLOB FILES "${FOLDER}/*.exe" "${FOLDER}/*.dll")
endif()
if(NOT OBJDUMP OR NOT FILES)
  message(FATAL_ERROR "CheckWindowsBinary: OBJDUMP and FILES are needed")
endif()

# The addresses of the exports by name: "name=hexaddress;...", from the
# export address table (RVAs) and the name table (indexes into it).
function(export_addresses dump out)
  string(REGEX MATCH "ImageBase[\t ]+([0-9a-fA-F]+)" ignored "${dump}")
  math(EXPR base "0x${CMAKE_MATCH_1}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "\n" ";" lines "${dump}")
  set(table "")
  set(result "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^Export Address Table --")
      set(table addresses)
    elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(table names)
    elseif(table STREQUAL "addresses" AND line MATCHES "^\t\\[ *([0-9]+)\\] \\+base\\[ *[0-9]+\\] +([0-9a-fA-F]+) Export RVA")
      math(EXPR address "${base} + 0x${CMAKE_MATCH_2}" OUTPUT_FORMAT HEXADECIMAL)
      set(rva_${CMAKE_MATCH_1} "${address}")
    elseif(table STREQUAL "names" AND line MATCHES "^\t\\[ *([0-9]+)\\] (.+)$")
      list(APPEND result "${CMAKE_MATCH_2}=${rva_${CMAKE_MATCH_1}}")
    else()
      set(table "")
    endif()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

set(failures "")
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  get_filename_component(folder "${file}" DIRECTORY)
  execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(APPEND failures "${name}: objdump failed")
    continue()
  endif()
  set(summary "${name}:")

  if(MACHINE)
    string(REGEX MATCH "file format pei-([^\r\n]+)" ignored "${dump}")
    if(NOT CMAKE_MATCH_1 STREQUAL MACHINE)
      list(APPEND failures "${name} is a PE file for '${CMAKE_MATCH_1}', not '${MACHINE}'")
    endif()
    string(APPEND summary " ${CMAKE_MATCH_1};")
  endif()
  if(DEFINED GUI AND name MATCHES "\\.exe$")
    string(REGEX MATCH "Subsystem[\t ]+[0-9a-fA-F]+[\t ]+\\(([^)]+)\\)" ignored "${dump}")
    set(subsystem "${CMAKE_MATCH_1}")
    set(expected "Windows CUI")
    if(name IN_LIST GUI)
      set(expected "Windows GUI")
    endif()
    if(NOT subsystem STREQUAL expected)
      list(APPEND failures "${name} is a '${subsystem}' program, not '${expected}'")
    endif()
    string(APPEND summary " ${subsystem};")
  endif()

  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  set(imported "")
  foreach(line IN LISTS imports)
    string(REGEX REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    list(APPEND imported "${dll}")
    if(lower IN_LIST system_dlls OR lower MATCHES "^api-ms-win-")
      continue()
    endif()
    if(EXISTS "${folder}/${dll}")
      continue()
    endif()
    list(APPEND failures "${name} imports ${dll}, which is neither a system DLL nor beside it")
  endforeach()

  list(JOIN imported ", " importText)
  string(APPEND summary " imports ${importText}")
  if(DEFINED EXPORTS)
    # The export name table: its heading, then one line "\t[   0] DeCoder" a name.
    set(names "")
    set(inTable FALSE)
    string(REPLACE "\n" ";" lines "${dump}")
    foreach(line IN LISTS lines)
      if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
        set(inTable TRUE)
      elseif(inTable AND line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
        list(APPEND names "${CMAKE_MATCH_1}")
      else()
        set(inTable FALSE)
      endif()
    endforeach()
    list(SORT names)
    set(expected ${EXPORTS})
    list(SORT expected)
    if(NOT names STREQUAL expected)
      list(APPEND failures "${name} exports '${names}' instead of '${expected}'")
    endif()
    list(JOIN names ", " exportText)
    string(APPEND summary "; exports ${exportText}")
  endif()

  if(DEFINED STDCALL)
    export_addresses("${dump}" addresses)
    foreach(entry IN LISTS STDCALL)
      string(REGEX MATCH "^([^@]+)@([0-9]+)$" ignored "${entry}")
      set(export "${CMAKE_MATCH_1}")
      math(EXPR bytes "${CMAKE_MATCH_2}" OUTPUT_FORMAT HEXADECIMAL)
      set(start "")
      foreach(address IN LISTS addresses)
        if(address MATCHES "^${export}=(0x[0-9a-fA-F]+)$")
          set(start "${CMAKE_MATCH_1}")
        endif()
      endforeach()
      if(NOT start)
        list(APPEND failures "${name} does not export ${export}")
        continue()
      endif()
      # The code from the export's address to the next symbol.
      math(EXPR stop "${start} + 0x1000" OUTPUT_FORMAT HEXADECIMAL)
      execute_process(COMMAND "${OBJDUMP}" -d --start-address=${start} --stop-address=${stop} "${file}"
                      OUTPUT_VARIABLE code)
      set(returns "")
      if(code MATCHES "\n[0-9a-f]+ <[^>]+>:\n(.*)")
        string(REGEX REPLACE "\n[0-9a-f]+ <[^>]+>:\n.*" "" body "${CMAKE_MATCH_1}")
        string(REGEX MATCHALL "\tret[^\n]*" returns "${body}")
      endif()
      if(NOT returns)
        list(APPEND failures "${name}: no return found in the code of ${export}")
        continue()
      endif()
      foreach(return IN LISTS returns)
        string(STRIP "${return}" return)
        if(NOT return MATCHES "^ret +\\$${bytes}$")
          list(APPEND failures "${name}: ${export} returns with '${return}', not 'ret $${bytes}'")
        endif()
      endforeach()
      string(APPEND summary "; ${export} returns with ret $${bytes}")
    endforeach()
  endif()
  message(STATUS "${LABEL}${summary}")
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "${LABEL}check of Windows binaries failed:\n  ${text}")
endif()
