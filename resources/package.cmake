# The Debian package: `make package` (or `cmake --build build --target package`) builds
# quaylink_<version>_amd64.deb in the build folder from what `cmake --install` lays out,
# with /usr as the prefix.
install(FILES resources/example.tarnholt.Quaylink.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian keeps manual pages and changelogs compressed, without a time stamp.
set(quaylink_gzipped "")
foreach(file resources/quaylink.1 resources/package/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${file} > ${name}.gz
                       DEPENDS ${file})
    list(APPEND quaylink_gzipped ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(quaylink_gzipped ALL DEPENDS ${quaylink_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quaylink.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/package/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quaylink)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quaylink)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarnholt <quaylink@tarnholt.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bar that keeps FTP addresses and opens them")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quaylink is one narrow bar that stays above all other windows. It keeps an
address book of FTP addresses and opens the one picked in the desktop's
handler for it, or in the file manager, which shows the site as a folder.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.tarnholt.example/")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the program and the pane's plugin link, as dpkg-shlibdeps finds them; on top,
# the desktop's handler lookup and GIO, which the log-in to FTP sites loads only when it first
# runs, at the oldest version that has every function it calls. GVfs serves those sites to GIO
# and the file manager; the layout names Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libglib2.0-0 (>= 2.37)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gvfs-backends, fonts-liberation")
# Dolphin shows FTPS and SFTP sites logged in only through the local folder gvfs-fuse gives each mount.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gvfs-fuse")
# Installed under the real prefix, whatever the build's own, into a staging folder, so that the
# menu entry names /usr/bin.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
