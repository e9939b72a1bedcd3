# The fax library's end-to-end test: a Win32 program that faxes a text file
# through COM1, and the fax receiver it calls, a native program on spandsp
# behind a pseudo-terminal.
add_executable(faxsend ${CMAKE_CURRENT_LIST_DIR}/FaxSend.cpp)
target_link_libraries(faxsend PRIVATE mivox_win32)

find_program(MIVOX_HOST_CC NAMES cc gcc REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/faxpeer
    COMMAND ${MIVOX_HOST_CC} -O2 -Wall -Wextra -o ${CMAKE_BINARY_DIR}/faxpeer
            ${CMAKE_CURRENT_LIST_DIR}/faxpeer.c -lspandsp -ltiff -lm
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/faxpeer.c
    COMMENT "Building the fax receiver peer with the host compiler")
add_custom_target(fax_peer ALL DEPENDS ${CMAKE_BINARY_DIR}/faxpeer)
