# Installs the menu entry. It names the executable by its full path, which is only known at
# install time: `cmake --install --prefix` may change the prefix the build was set up with.
# Made in a folder of its own for each destination, so that installs to several places at
# once do not write one file.
set(QUAYLINK_EXEC "\"${CMAKE_INSTALL_PREFIX}/${QUAYLINK_BINDIR}/quaylink\"")
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(entry "${QUAYLINK_BINARY_DIR}/menu-entries/${destination}/quaylink.desktop")
configure_file("${QUAYLINK_SOURCE_DIR}/resources/quaylink.desktop.in" "${entry}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${QUAYLINK_DATADIR}/applications" TYPE FILE FILES "${entry}")
