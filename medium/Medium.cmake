# The sample distribution medium: Setup.exe beside APP\, WinNT\, Win9X\ and
# Misc\, as on the product's CD. It lands in <build>/medium.

set(MIVOX_MEDIUM_DIR ${CMAKE_BINARY_DIR}/medium)

add_executable(Mivox WIN32 ${CMAKE_CURRENT_LIST_DIR}/mivox/Mivox.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/mivox/Mivox.rc)
set_target_properties(Mivox PROPERTIES OUTPUT_NAME Mivox SUFFIX .EXE)

# Install.Exe, the joining program of the floppy disk set, lives in Misc\.
add_library(medium_simple_ui STATIC ${CMAKE_CURRENT_LIST_DIR}/common/SimpleUi.cpp)
target_include_directories(medium_simple_ui PUBLIC ${CMAKE_CURRENT_LIST_DIR}/common)
target_link_libraries(medium_simple_ui PUBLIC shell32 ole32 user32)

add_executable(InstallExe WIN32 ${CMAKE_CURRENT_LIST_DIR}/install/Install.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/install/Install.rc)
target_link_libraries(InstallExe PRIVATE mivox_win32 medium_simple_ui)
set_target_properties(InstallExe PROPERTIES OUTPUT_NAME Install SUFFIX .Exe)

file(GLOB_RECURSE MIVOX_MEDIUM_CONTENT CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/content/*)
add_custom_target(medium ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${MIVOX_MEDIUM_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_LIST_DIR}/content ${MIVOX_MEDIUM_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Setup> ${MIVOX_MEDIUM_DIR}/Setup.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Mivox> ${MIVOX_MEDIUM_DIR}/APP/Mivox.EXE
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:InstallExe> ${MIVOX_MEDIUM_DIR}/Misc/Install.Exe
    COMMAND ${CMAKE_COMMAND} -DOUT=${MIVOX_MEDIUM_DIR}/APP/Samples/LONGRUN.MDF
            -P ${CMAKE_CURRENT_LIST_DIR}/LongRecording.cmake
    # The serial port driver on the medium carries its release date.
    COMMAND touch -d "1998-05-11 12:00:00" ${MIVOX_MEDIUM_DIR}/Misc/comm.drv
    DEPENDS Setup Mivox InstallExe ${MIVOX_MEDIUM_CONTENT}
            ${CMAKE_CURRENT_LIST_DIR}/LongRecording.cmake
    COMMENT "Writing the sample medium to ${MIVOX_MEDIUM_DIR}"
    VERBATIM)

# The medium as one self-extracting archive program, as the product is also
# shipped: <build>/Mivox10.EXE. The packer runs on the build machine.
add_executable(ArchiveExtractor WIN32 ${CMAKE_CURRENT_LIST_DIR}/archive/Extractor.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/archive/ArchiveFormat.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/archive/Extractor.rc)
target_include_directories(ArchiveExtractor PRIVATE ${CMAKE_CURRENT_LIST_DIR}/archive)
target_link_libraries(ArchiveExtractor PRIVATE mivox_win32 medium_simple_ui)

find_program(MIVOX_HOST_CXX NAMES g++ c++ REQUIRED)
set(MIVOX_MKARCHIVE ${CMAKE_BINARY_DIR}/host/mkarchive)
set(MIVOX_MKARCHIVE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive/mkarchive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/archive/ArchiveFormat.cpp ${CMAKE_SOURCE_DIR}/src/floppy/Crc32.cpp)
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
