# The Debian package: "cpack -G DEB" in a build folder (scripts/package does
# it with a release build and checks it with lintian). It installs under
# /usr; the libraries it needs come from dpkg-shlibdeps, and the plug-ins Qt
# loads at run time (the X11 platform, GStreamer's codecs) are named here.
set(ORVANE_PACKAGE_CONTACT "Orvane maintainers <maintainers@orvane.example.org>")

# Debian's documentation files: the copyright and the changelog, compressed
# the way dpkg expects (no name or time stamp in the gzip header).
set(ORVANE_PACKAGE_CHANGELOG "${PROJECT_BINARY_DIR}/changelog.gz")
execute_process(COMMAND gzip -9nc "${PROJECT_SOURCE_DIR}/data/package/changelog"
                OUTPUT_FILE "${ORVANE_PACKAGE_CHANGELOG}" COMMAND_ERROR_IS_FATAL ANY)
install(FILES "${PROJECT_SOURCE_DIR}/data/package/copyright" "${ORVANE_PACKAGE_CHANGELOG}"
        DESTINATION share/doc/orvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR Kestrin)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${ORVANE_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-libav, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvane.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo and video browser")
# The extended description below the summary line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvane walks one folder tree into a list of photos and a list of videos
and shows one item at a time beside the file list: stepping in order or at
random, slide show, full screen, a screen magnifier, the shown picture as
desktop wallpaper, search, moving, renaming and trashing files, mail with
attachments and a tray icon. It shows JPEG, HEIC, AVIF, WebP, JPEG XL, GIF,
PNG, TIFF and many older formats upright and in their colours.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/data/package/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
