# The Debian package: `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package does it all).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavelin)
set(CPACK_PACKAGE_VENDOR Orvendal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(TAVELIN_PACKAGE_MAINTAINER "Tavelin developers <tavelin@orvendal.example>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${TAVELIN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command mails for the owner of Majordomo mailing lists")
# CPack puts the summary first and indents these lines; an empty line becomes " .".
set(CPACK_PACKAGE_DESCRIPTION
    "Tavelin keeps a register of the mailing lists you own on Majordomo list
servers, edits a list's config file in a form, composes the command mails
the server takes into an outgoing folder, sends that queue over SMTP,
fetches the server's replies and returned mails from an IMAP mailbox, and
reads the addresses out of returned mails into the next command.

The package holds the desktop program tavelin, in Japanese or English as
the locale says, and
tavelin-cli, the same work without windows for scripts and cron.")
# GPL-3.0-or-later: the package's copyright file (data/copyright) says so
# and points at Debian's copy of the licence text.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tavelin_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps adds the libraries the programs link (Qt Core, Gui, Widgets,
# Network, GMime, the C++ runtime) with their versions; named here is what
# is loaded at run time: D-Bus, the OpenSSL that QtNetwork opens for TLS, and
# a Japanese font. The X11 platform plugin comes with libqt6gui6; the Wayland
# one is recommended (without it Qt uses XWayland).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6dbus6, libssl3, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
