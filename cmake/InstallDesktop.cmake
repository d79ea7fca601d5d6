# Installs the menu entry, its AppStream metainfo, the icon and the link on
# PATH. Runs at install time, when the prefix given to "cmake --install
# --prefix" is known. DESTDIR is honoured by file(INSTALL) and added by hand
# where the files are made here.
#
# Set before this script runs: PELAGRIN_SOURCE_DIR, PELAGRIN_DEFAULT_PREFIX and PELAGRIN_DESKTOP_DIR (empty: automatic).

# The default /opt tree keeps its menu entry where desktops look by default;
# any other prefix gets everything under itself, so that a user without root
# can install into ~/.local.
set(desktop_prefix "${PELAGRIN_DESKTOP_DIR}")
if(desktop_prefix STREQUAL "")
  if(CMAKE_INSTALL_PREFIX STREQUAL PELAGRIN_DEFAULT_PREFIX)
    set(desktop_prefix /usr/local)
  else()
    set(desktop_prefix "${CMAKE_INSTALL_PREFIX}")
  endif()
endif()

set(program "${CMAKE_INSTALL_PREFIX}/bin/pelagrin-gif-animator")
# A menu entry quotes a program path holding blanks or the characters its
# Exec key reserves.
set(exec_program "${program}")
if(program MATCHES "[ \t\"'\\\\`$<>~|&;*?#()]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec_program "${program}")
  set(exec_program "\"${exec_program}\"")
endif()
# Made straight in place: the build folder may not be writable by the user
# who installs.
set(entry "$ENV{DESTDIR}${desktop_prefix}/share/applications/pelagrin-gif-animator.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${PELAGRIN_SOURCE_DIR}/data/pelagrin-gif-animator.desktop.in" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${desktop_prefix}/share/applications/pelagrin-gif-animator.desktop")
file(INSTALL "${PELAGRIN_SOURCE_DIR}/data/pelagrin-gif-animator.metainfo.xml"
     DESTINATION "${desktop_prefix}/share/metainfo")
file(INSTALL "${PELAGRIN_SOURCE_DIR}/data/pelagrin-gif-animator.png"
     DESTINATION "${desktop_prefix}/share/icons/hicolor/48x48/apps")

if(NOT desktop_prefix STREQUAL CMAKE_INSTALL_PREFIX)
  set(link "$ENV{DESTDIR}${desktop_prefix}/bin/pelagrin-gif-animator")
  message(STATUS "Installing: ${link}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${desktop_prefix}/bin")
  file(CREATE_LINK "${program}" "${link}" SYMBOLIC)
endif()
