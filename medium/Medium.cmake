# The sample distribution medium: Setup.exe beside APP\, WinNT\, Win9X\ and
# Misc\, as on the product's CD. It lands in <build>/medium.

set(MIVOX_MEDIUM_DIR ${CMAKE_BINARY_DIR}/medium)

# Every program of the medium binds its libraries through the one unit
# SystemLibrary, which needs no C++ library.
set(MIVOX_SYSTEM_LIBRARY ${CMAKE_SOURCE_DIR}/src/win32/SystemLibrary.cpp)
add_executable(Mivox WIN32 ${CMAKE_CURRENT_LIST_DIR}/mivox/Mivox.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/mivox/Mivox.rc ${MIVOX_SYSTEM_LIBRARY})
target_include_directories(Mivox PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(Mivox PROPERTIES OUTPUT_NAME Mivox SUFFIX .EXE)

# The medium's small programs share a few boxes, built for size.
set(MIVOX_SMALL_PROGRAM_FLAGS -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-threadsafe-statics -ffunction-sections -fdata-sections)
add_library(medium_simple_ui STATIC ${CMAKE_CURRENT_LIST_DIR}/common/SimpleUi.cpp)
target_compile_options(medium_simple_ui PRIVATE ${MIVOX_SMALL_PROGRAM_FLAGS})
target_include_directories(medium_simple_ui PUBLIC ${CMAKE_CURRENT_LIST_DIR}/common
                                                   ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(medium_simple_ui PUBLIC shell32 ole32 user32)

# Install.Exe, the joining program of the floppy disk set, lives in Misc\. It
# shares disk 1 with a full part, so it is plain Win32 built for size and
# linked as C: a use of the C++ library fails the link instead of growing it.
add_executable(InstallExe WIN32 ${CMAKE_CURRENT_LIST_DIR}/install/Install.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/install/Install.rc
                                ${CMAKE_SOURCE_DIR}/src/floppy/DiskSetJoiner.cpp
                                ${CMAKE_SOURCE_DIR}/src/floppy/Crc32.cpp
                                ${CMAKE_SOURCE_DIR}/src/util/SafeFileName.cpp
                                ${MIVOX_SYSTEM_LIBRARY})
target_compile_definitions(InstallExe PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(InstallExe PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${MIVOX_SMALL_PROGRAM_FLAGS}>)
target_link_options(InstallExe PRIVATE -s -Wl,--gc-sections)
target_link_libraries(InstallExe PRIVATE medium_simple_ui)
set_target_properties(InstallExe PROPERTIES OUTPUT_NAME Install SUFFIX .Exe LINKER_LANGUAGE C)
# CMake would add the C++ library to a C link of C++ objects; only this
# program links so.
list(REMOVE_ITEM CMAKE_CXX_IMPLICIT_LINK_LIBRARIES stdc++)
# Marks the image to run from the swap file and fails the build when it does
# not fit on disk 1 beside Install.Ini and a full part.
add_custom_command(TARGET InstallExe POST_BUILD
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/fit-disk1.sh $<TARGET_FILE:InstallExe>
    VERBATIM)

# UNWISE.EXE, the uninstaller the installation's records name, goes into the
# Windows folder with the platform's files. Small and plain Win32 as well.
add_executable(UnwiseExe WIN32 ${CMAKE_CURRENT_LIST_DIR}/uninstall/Unwise.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/uninstall/Unwise.rc
                               ${CMAKE_SOURCE_DIR}/src/uninstall/UninstallLog.cpp
                               ${MIVOX_SYSTEM_LIBRARY})
target_compile_definitions(UnwiseExe PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(UnwiseExe PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${MIVOX_SMALL_PROGRAM_FLAGS}>)
target_link_options(UnwiseExe PRIVATE -s -Wl,--gc-sections)
target_link_libraries(UnwiseExe PRIVATE medium_simple_ui advapi32)
set_target_properties(UnwiseExe PROPERTIES OUTPUT_NAME UNWISE SUFFIX .EXE LINKER_LANGUAGE C)

file(GLOB_RECURSE MIVOX_MEDIUM_CONTENT CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/content/*)
add_custom_target(medium ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${MIVOX_MEDIUM_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_LIST_DIR}/content ${MIVOX_MEDIUM_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Setup> ${MIVOX_MEDIUM_DIR}/Setup.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Mivox> ${MIVOX_MEDIUM_DIR}/APP/Mivox.EXE
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:InstallExe> ${MIVOX_MEDIUM_DIR}/Misc/Install.Exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:UnwiseExe> ${MIVOX_MEDIUM_DIR}/WinNT/UNWISE.EXE
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:UnwiseExe> ${MIVOX_MEDIUM_DIR}/Win9X/UNWISE.EXE
    COMMAND ${CMAKE_COMMAND} -DOUT=${MIVOX_MEDIUM_DIR}/APP/Samples/LONGRUN.MDF
            -P ${CMAKE_CURRENT_LIST_DIR}/LongRecording.cmake
    # The serial port driver on the medium carries its release date.
    COMMAND touch -d "1998-05-11 12:00:00" ${MIVOX_MEDIUM_DIR}/Misc/comm.drv
    DEPENDS Setup Mivox InstallExe UnwiseExe ${MIVOX_MEDIUM_CONTENT}
            ${CMAKE_CURRENT_LIST_DIR}/LongRecording.cmake
    COMMENT "Writing the sample medium to ${MIVOX_MEDIUM_DIR}"
    VERBATIM)

# The medium as one self-extracting archive program, as the product is also
# shipped: <build>/Mivox10.EXE. The packer runs on the build machine.
add_executable(ArchiveExtractor WIN32 ${CMAKE_CURRENT_LIST_DIR}/archive/Extractor.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/archive/ArchiveFormat.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/archive/Extractor.rc
                                      ${MIVOX_LEAN_RUNTIME})
target_include_directories(ArchiveExtractor PRIVATE ${CMAKE_CURRENT_LIST_DIR}/archive)
target_link_libraries(ArchiveExtractor PRIVATE mivox_win32 medium_simple_ui)

find_program(MIVOX_HOST_CXX NAMES g++ c++ REQUIRED)
set(MIVOX_MKARCHIVE ${CMAKE_BINARY_DIR}/host/mkarchive)
set(MIVOX_MKARCHIVE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive/mkarchive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/archive/ArchiveFormat.cpp ${CMAKE_SOURCE_DIR}/src/floppy/Crc32.cpp
    ${CMAKE_SOURCE_DIR}/src/util/SafeFileName.cpp ${CMAKE_SOURCE_DIR}/src/util/TextUtil.cpp)
add_custom_command(OUTPUT ${MIVOX_MKARCHIVE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${MIVOX_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -I${CMAKE_SOURCE_DIR}/src
            -I${CMAKE_CURRENT_LIST_DIR}/archive -o ${MIVOX_MKARCHIVE} ${MIVOX_MKARCHIVE_SOURCES}
    DEPENDS ${MIVOX_MKARCHIVE_SOURCES}
    COMMENT "Building the archive packer for the build machine"
    VERBATIM)

set(MIVOX_ARCHIVE ${CMAKE_BINARY_DIR}/Mivox10.EXE)
add_custom_target(archive ALL
    COMMAND ${MIVOX_MKARCHIVE} $<TARGET_FILE:ArchiveExtractor> ${MIVOX_MEDIUM_DIR} ${MIVOX_ARCHIVE}
    DEPENDS ${MIVOX_MKARCHIVE} ArchiveExtractor medium
    COMMENT "Packing the sample medium into ${MIVOX_ARCHIVE}"
    VERBATIM)
