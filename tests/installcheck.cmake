# Installs the build into an empty prefix and checks what a desktop needs from it: the
# executable in bin/ (where the address book will be written), the menu entry pointing at
# it, and the icon in every hicolor size.
# Usage: cmake -DBUILD=<build dir> -DPREFIX=<empty dir> [-DVALIDATOR=desktop-file-validate] -P installcheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}" RESULT_VARIABLE failed
                OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "install failed")
endif()

if(NOT EXISTS "${PREFIX}/bin/quaylink" OR IS_DIRECTORY "${PREFIX}/bin/quaylink")
    message(FATAL_ERROR "no executable in bin/")
endif()
file(TOUCH "${PREFIX}/bin/ftpurl.txt")

foreach(size 16 32 48 64 128 256)
    if(NOT EXISTS "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/quaylink.png")
        message(FATAL_ERROR "no ${size}x${size} icon")
    endif()
endforeach()

set(entry "${PREFIX}/share/applications/quaylink.desktop")
if(NOT EXISTS "${entry}")
    message(FATAL_ERROR "no menu entry")
endif()
file(STRINGS "${entry}" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=\"${PREFIX}/bin/quaylink\"")
    message(FATAL_ERROR "the menu entry runs ${exec}, not the installed executable")
endif()
file(STRINGS "${entry}" icon REGEX "^Icon=")
if(NOT icon STREQUAL "Icon=quaylink")
    message(FATAL_ERROR "the menu entry shows ${icon}")
endif()

if(VALIDATOR)
    execute_process(COMMAND "${VALIDATOR}" "${entry}" RESULT_VARIABLE invalid)
    if(invalid)
        message(FATAL_ERROR "${VALIDATOR} rejects the menu entry")
    endif()
endif()
