# The same sources give the same bytes, whatever the build folder and the time
# of the build: an administrator can rebuild a program and compare it with
# the one that shipped.

# No build paths: file names in macros and debug records are relative to the
# source tree (the build folder, inside it, is checked first).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# No time stamps: archives without member dates, owners or modes.
foreach(lang C CXX)
    set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()

if(WIN32)
    # The PE header's date, and with it the header's checksum, stay zero.
    add_link_options(-Wl,--no-insert-timestamp)
endif()

# The date the sources stand for: SOURCE_DATE_EPOCH when the builder sets it,
# else the date of the checked-out commit.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(MIVOX_SOURCE_DATE $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE MIVOX_SOURCE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
endif()
if(NOT MIVOX_SOURCE_DATE MATCHES "^[0-9]+$")
    set(MIVOX_SOURCE_DATE 0)
endif()

# Files written by the build carry the time they were written; where their
# dates are shipped (the medium, packed with every file's date), a date later
# than the sources' is held to it. Older dates, such as a driver's release
# date, stay.
function(mivox_clamp_dates target folder)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND find ${folder} -newermt @${MIVOX_SOURCE_DATE}
                -exec touch -h -d @${MIVOX_SOURCE_DATE} {} +
        VERBATIM)
endfunction()
