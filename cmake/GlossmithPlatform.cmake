# Chooses the platform files of every platform layer: one file per platform,
# the same stem, the interface in one shared header.
if(WIN32)
  set(GLOSSMITH_PLATFORM win32)
else()
  set(GLOSSMITH_PLATFORM posix)
endif()

# Chooses the files of the byte loops that use vector instructions: x86-64
# always has SSE2; other targets (the 32-bit Windows build among them) take
# the portable loops.
if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(GLOSSMITH_SIMD sse2)
else()
  set(GLOSSMITH_SIMD portable)
endif()

# glossmith_test(NAME target SOURCES ... LIBS ...) adds a GoogleTest executable
# and registers its tests with ctest.
function(glossmith_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      # Run through the emulator (Wine) against the wineserver of the fixture
      # "emulator" (tests/CMakeLists.txt).
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED emulator
                           ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
