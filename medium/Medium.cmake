# The sample distribution medium: Setup.exe beside APP\, WinNT\, Win9X\ and
# Misc\, as on the product's CD. It lands in <build>/medium.

set(MIVOX_MEDIUM_DIR ${CMAKE_BINARY_DIR}/medium)

add_executable(Mivox WIN32 ${CMAKE_CURRENT_LIST_DIR}/mivox/Mivox.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/mivox/Mivox.rc)
set_target_properties(Mivox PROPERTIES OUTPUT_NAME Mivox SUFFIX .EXE)

file(GLOB_RECURSE MIVOX_MEDIUM_CONTENT CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/content/*)
add_custom_target(medium ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${MIVOX_MEDIUM_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_LIST_DIR}/content ${MIVOX_MEDIUM_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Setup> ${MIVOX_MEDIUM_DIR}/Setup.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Mivox> ${MIVOX_MEDIUM_DIR}/APP/Mivox.EXE
    # The serial port driver on the medium carries its release date.
    COMMAND touch -d "1998-05-11 12:00:00" ${MIVOX_MEDIUM_DIR}/Misc/comm.drv
    DEPENDS Setup Mivox ${MIVOX_MEDIUM_CONTENT}
    COMMENT "Writing the sample medium to ${MIVOX_MEDIUM_DIR}"
    VERBATIM)
