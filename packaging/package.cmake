# The Debian package (tools/make_deb.sh builds it): CPack's DEB generator
# over the package layout of the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnick-bozzle)
set(CPACK_PACKAGE_VERSION 0.1.0)
set(CPACK_PACKAGE_CONTACT "Varnick Bozzle developers <developers@varnick-bozzle.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 2D arcade game of jumping, ducking and shooting")
# CPack puts the summary on the first line and indents this text under it
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "You stand on a ground line at the left of a scrolling desert: jump the
single objects that roll in from the right, duck under the stacked pairs
and shoot the birds that fly over you at the crosshair. One touch ends the
run; a tally counts the score and the best total is kept. An online board
of ten names and scores is exchanged with a score server.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time libraries' packages, as dpkg-shlibdeps finds them. SDL opens
# libGL and the drivers behind it at run time, so those are named here
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri | libgl1-nvidia-glvnd-glx")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
