# The SMTP client over real Windows Sockets, run as one test against the
# SMTP peers on loopback (a real SMTP server and a scripted one), started
# for it and stopped after it. Both run in a time zone with
# daylight saving in force in one half of the year and not in the other, so
# the Date header's zone is checked against the server's own view of it.
set(MIVOX_SMTP_PEERS ${CMAKE_BINARY_DIR}/smtp-peers)
set(MIVOX_SMTP_PEERS_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/smtp-peers.sh)
set(MIVOX_SMTP_TZ Australia/Sydney)

add_executable(win32_smtp_tests ${CMAKE_CURRENT_LIST_DIR}/Win32SmtpTest.cpp
    ${CMAKE_SOURCE_DIR}/tests/win32/TempDir.cpp)
target_link_libraries(win32_smtp_tests PRIVATE mivox_win32 GTest::gtest_main)
target_include_directories(win32_smtp_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win32 ${CMAKE_SOURCE_DIR}/tests)

add_test(NAME win32_smtp COMMAND ${MIVOX_SMTP_PEERS_SCRIPT} ${MIVOX_SMTP_PEERS} with
    ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:win32_smtp_tests>)
set_tests_properties(win32_smtp PROPERTIES
    FIXTURES_REQUIRED wine
    RESOURCE_LOCK desktop
    TIMEOUT 300
    ENVIRONMENT "MIVOX_SMTP_PEERS=${MIVOX_SMTP_PEERS};TZ=${MIVOX_SMTP_TZ}")
