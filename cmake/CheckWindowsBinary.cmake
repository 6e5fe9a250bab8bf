# Checks Windows binaries with objdump, in script mode:
#
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DFILES="a.exe;b.dll"
#         [-DEXPORTS="DeCoder;ReCoder"] [-DLABEL=i686] -P CheckWindowsBinary.cmake
#
# FOLDER=path in place of FILES checks every .exe and .dll in that folder.
#
# Every file may import only DLLs of the system and DLLs that lie beside it
# (the build's own): a libstdc++-6.dll or libgcc_s_seh-1.dll among the
# imports means the runtime was not linked statically, and the program would
# not start on a machine without mingw-w64. With EXPORTS, each file must
# export exactly these names, undecorated.

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

set(failures "")
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  get_filename_component(folder "${file}" DIRECTORY)
  execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(APPEND failures "${name}: objdump failed")
    continue()
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
  set(summary "${name}: imports ${importText}")
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
  message(STATUS "${LABEL}${summary}")
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "${LABEL}check of Windows binaries failed:\n  ${text}")
endif()
