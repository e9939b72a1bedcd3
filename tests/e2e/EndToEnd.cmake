# End-to-end tests: the real Setup.exe of the sample medium under Wine and
# Xvfb, driven through its windows by uidriver.

add_executable(uidriver ${CMAKE_SOURCE_DIR}/tools/uidriver/uidriver.cpp)

file(GLOB MIVOX_E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_*.sh)
foreach(script ${MIVOX_E2E_SCRIPTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_${name}
        COMMAND bash ${script}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e_${name} PROPERTIES
        FIXTURES_REQUIRED wine
        TIMEOUT 300
        SKIP_RETURN_CODE 77
        RESOURCE_LOCK desktop
        ENVIRONMENT "MIVOX_WINE_LOADER=${MIVOX_WINE_LOADER};MIVOX_WINE_SESSION=${MIVOX_WINE_SESSION};MIVOX_WINE_DIR=${MIVOX_WINE_DIR};MIVOX_MEDIUM=${MIVOX_MEDIUM_DIR};MIVOX_UIDRIVER=$<TARGET_FILE:uidriver>;MIVOX_E2E_OUT=${CMAKE_BINARY_DIR}/e2e")
endforeach()
# Two full installations and their removal, one per platform, in one session.
set_tests_properties(e2e_test_uninstall PROPERTIES TIMEOUT 480)
# An interactive and several unattended installations in one session.
set_tests_properties(e2e_test_install_silent PROPERTIES TIMEOUT 480)
# Fifteen fax calls to the receiver, one after another, in one session.
set_tests_properties(e2e_test_fax_send PROPERTIES TIMEOUT 600)
