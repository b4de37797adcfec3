# Installs the menu entry. Where the prefix is one whose programs are on everyone's path, it
# names the program, as packages do; elsewhere by its full path, which is only known at install
# time: `cmake --install --prefix` may change the prefix the build was set up with. Made in a
# folder of its own for each destination, so that installs to several places at once do not
# write one file.
if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/?$" AND QUAYLINK_BINDIR STREQUAL "bin")
    set(QUAYLINK_EXEC quaylink)
else()
    set(QUAYLINK_EXEC "\"${CMAKE_INSTALL_PREFIX}/${QUAYLINK_BINDIR}/quaylink\"")
endif()
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(entry "${QUAYLINK_BINARY_DIR}/menu-entries/${destination}/quaylink.desktop")
configure_file("${QUAYLINK_SOURCE_DIR}/resources/quaylink.desktop.in" "${entry}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${QUAYLINK_DATADIR}/applications" TYPE FILE FILES "${entry}")
