# The Windows side: the Win32 layer, Setup.exe, the sample medium, and the
# tests that run under Wine.

set(MIVOX_WINE_SESSION ${CMAKE_SOURCE_DIR}/tests/wine/wine-session.sh)
set(MIVOX_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
# The programs of this build run under Wine's loader of their own bitness.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(MIVOX_WINE_LOADER /usr/lib/wine/wine)
else()
    set(MIVOX_WINE_LOADER /usr/lib/wine/wine64)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR env MIVOX_WINE_LOADER=${MIVOX_WINE_LOADER}
    ${MIVOX_WINE_SESSION} ${MIVOX_WINE_DIR} run)

file(GLOB MIVOX_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win32/*.cpp)
# Linked into the C++ programs directly, where they replace pieces of the
# C++ library: its report of an uncaught exception and its error helpers.
set(MIVOX_LEAN_RUNTIME ${CMAKE_SOURCE_DIR}/src/win32/QuietTerminate.cpp
    ${CMAKE_SOURCE_DIR}/src/win32/LibraryThrows.cpp)
list(REMOVE_ITEM MIVOX_WIN32_SOURCES ${MIVOX_LEAN_RUNTIME}
    ${CMAKE_SOURCE_DIR}/src/win32/Win32Threads.cpp)
add_library(mivox_win32 STATIC ${MIVOX_WIN32_SOURCES})
# Only the libraries the system always takes from its own folder are
# linked; every other one is bound at run time by its full path
# (win32/SystemLibrary.h), so a call of one that is not fails the link.
target_link_libraries(mivox_win32 PUBLIC mivox_core
    comctl32 ole32 oleaut32 uuid advapi32 user32 gdi32 shell32)
target_compile_definitions(mivox_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res")

add_executable(Setup WIN32 ${CMAKE_SOURCE_DIR}/src/main_win32.cpp ${MIVOX_LEAN_RUNTIME}
                           ${CMAKE_SOURCE_DIR}/res/Setup.rc)
target_link_libraries(Setup PRIVATE mivox_win32)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup)

# Wine sessions are shared by the tests of one run and ended after them.
add_test(NAME wine_session_start COMMAND env MIVOX_WINE_LOADER=${MIVOX_WINE_LOADER}
    ${MIVOX_WINE_SESSION} ${MIVOX_WINE_DIR} start)
add_test(NAME wine_session_stop COMMAND ${MIVOX_WINE_SESSION} ${MIVOX_WINE_DIR} stop)
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine)

# Win32 tests: each seam's implementation against the real API.
file(GLOB MIVOX_WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
# They link the programs' error helpers, which LibraryThrowsTest checks.
add_executable(win32_tests ${MIVOX_WIN32_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/win32/TestResources.rc
    ${CMAKE_SOURCE_DIR}/src/win32/LibraryThrows.cpp)
target_link_libraries(win32_tests PRIVATE mivox_win32 GTest::gmock_main)
target_include_directories(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# They share one display, keyboard focus and disk with the end-to-end tests,
# so they run one at a time.
gtest_discover_tests(win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 180
    PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK desktop)

# Helper programs of the system-operation tests: one holds a file open as a
# running program does, the other runs an operation in a session of its own.
add_executable(holdopen ${CMAKE_SOURCE_DIR}/tests/win32/helpers/HoldOpen.cpp)
add_executable(sysops ${CMAKE_SOURCE_DIR}/tests/win32/helpers/SysOps.cpp)
# Makes a registry link, for the uninstaller's end-to-end test.
add_executable(reglink ${CMAKE_SOURCE_DIR}/tests/win32/helpers/RegLink.cpp)
# Records what the installer hands the browser or Notepad, for the
# registration tests.
add_executable(recordargs ${CMAKE_SOURCE_DIR}/tests/win32/helpers/RecordArgs.cpp)
target_link_libraries(sysops PRIVATE mivox_win32)
add_dependencies(win32_tests holdopen)
# Loads shell links back for the end-to-end installation tests.
add_executable(readlink ${CMAKE_SOURCE_DIR}/tests/win32/helpers/ReadLink.cpp)
target_link_libraries(readlink PRIVATE ole32 uuid)

include(${CMAKE_SOURCE_DIR}/tests/win32/smtp/Smtp.cmake)
include(${CMAKE_SOURCE_DIR}/medium/Medium.cmake)
mivox_clamp_dates(medium ${MIVOX_MEDIUM_DIR})
include(${CMAKE_SOURCE_DIR}/tests/e2e/EndToEnd.cmake)
include(${CMAKE_SOURCE_DIR}/tests/fax/Fax.cmake)

# The stand-in library of the planted-libraries test: no C runtime, only
# kernel32, so it loads wherever it is planted.
add_library(planted SHARED ${CMAKE_SOURCE_DIR}/tests/win32/helpers/PlantedLibrary.c
    ${CMAKE_SOURCE_DIR}/tests/win32/helpers/PlantedLibrary.def)
target_link_options(planted PRIVATE -nostdlib -s)
target_link_libraries(planted PRIVATE kernel32)
set_target_properties(planted PROPERTIES PREFIX "")
