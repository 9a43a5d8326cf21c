# The Debian package (scripts/package builds it). It holds what `cmake --install`
# puts in place, with the PATH links and the desktop files below /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivovam)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Halvora)
set(CPACK_PACKAGE_CONTACT "Halvora Kivo Vam team <kivovam@halvora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for the Kivo timing coprocessor")
set(CPACK_PACKAGE_DESCRIPTION
    "Kivo Vam configures the Kivo timing coprocessor of a family of microcontrollers: the processor and its clocks, a function set, each engine's hardware options and the functions on its channels. It writes the C initialisation code, which is also the project file. The package holds the desktop program kivovam, the command-line kivovam-cli for build pipelines and the version checker newscout.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://halvora.example/kivovam")
# The run-time libraries the programs link (Qt, QScintilla, PCRE2, OpenSSL and the C++
# runtime) are read from the programs themselves by dpkg-shlibdeps, so the list follows
# what is really linked and never names a -dev package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
