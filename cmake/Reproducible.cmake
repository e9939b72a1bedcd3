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
