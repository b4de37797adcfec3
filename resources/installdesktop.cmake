# Installs the menu entry. It names the executable by its full path, which is only known at
# install time: `cmake --install --prefix` may change the prefix the build was set up with.
set(QUAYLINK_EXEC "\"${CMAKE_INSTALL_PREFIX}/${QUAYLINK_BINDIR}/quaylink\"")
configure_file("${QUAYLINK_SOURCE_DIR}/resources/quaylink.desktop.in" "${QUAYLINK_BINARY_DIR}/quaylink.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${QUAYLINK_DATADIR}/applications" TYPE FILE
     FILES "${QUAYLINK_BINARY_DIR}/quaylink.desktop")
