# The release archive: the installation folder as `cmake --install` makes it, with the
# member's installer beside the programs. Unpacked, it installs with its own
# ./install-user.sh; installed, the same script removes it again (--uninstall).
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/install-user.sh DESTINATION .)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME TessalDesktop)
set(CPACK_PACKAGE_VENDOR Tessal)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tessal Desktop: learning client, offline player, updaters")
set(CPACK_PACKAGE_FILE_NAME "TessalDesktop-${PROJECT_VERSION}-Linux-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
# One top folder, so that unpacking never spills over the member's folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Members need no debug information; the build folder keeps it for crash reports.
set(CPACK_STRIP_FILES ON)
include(CPack)
