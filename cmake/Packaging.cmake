# The release archive: the installation folder as `cmake --install` makes it, with the
# member's installer beside the programs. Unpacked, it installs with its own
# ./install-user.sh; installed, the same script removes it again (--uninstall).
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/install-user.sh DESTINATION .)

# The list of what the release ships, written last: install-user.sh copies only these into
# the member's folder, so that the member's own files in an unpacked archive the programs
# already ran in (UserInfo.ini, LoadList.ini, logs, downloads...) never replace the
# member's. Files as this install placed them; folders ending in "/", the empty ones too.
install(CODE [[
  set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  cmake_path(NORMAL_PATH root)
  set(shipped "")
  foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    cmake_path(NORMAL_PATH file)
    # Placed under DESTDIR, the files are listed without it.
    file(RELATIVE_PATH relative "${root}" "${file}")
    if(relative MATCHES "^\\.\\./")
      file(RELATIVE_PATH relative "${CMAKE_INSTALL_PREFIX}" "${file}")
    endif()
    if(NOT relative MATCHES "^\\.\\./" AND EXISTS "${root}/${relative}")
      list(APPEND shipped "${relative}")
    endif()
  endforeach()
  file(GLOB_RECURSE folders LIST_DIRECTORIES true RELATIVE "${root}" "${root}/*")
  foreach(folder IN LISTS folders)
    if(IS_DIRECTORY "${root}/${folder}" AND NOT IS_SYMLINK "${root}/${folder}")
      list(APPEND shipped "${folder}/")
    endif()
  endforeach()
  list(APPEND shipped .install-user.shipped)
  list(REMOVE_DUPLICATES shipped)
  list(SORT shipped)
  list(JOIN shipped "\n" text)
  file(WRITE "${root}/.install-user.shipped" "${text}\n")
]])

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
