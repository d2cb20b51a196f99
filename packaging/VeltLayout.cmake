# Where the suite's files go under an installation prefix. Used at configure
# time (the desktop entries checked in the build tree) and at install time
# (cmake --install, CPack), where the prefix may differ from the configured one.
#
# Under a prefix of its own (/opt/veltra, ~/veltra) everything the programs
# load lives in PREFIX/bin beside the executables. Under a prefix shared with
# other software (/usr, /usr/local) the executables with their panel resource
# files and bitmaps live in PREFIX/lib/veltra and PREFIX/bin holds links to
# the executables, so that no data files land in a system bin directory.
# The programs find their files through the real path of their executable,
# so they work started through the links as well.

# velt_layout(PREFIX) sets VELT_PROGRAM_DIR (absolute), VELT_SHARED_PREFIX
# (TRUE for /usr and /usr/local), VELT_DESKTOP_BIN_DIR and VELT_DESKTOP_ICON.
macro(velt_layout prefix)
  string(REGEX REPLACE "/+$" "" _velt_prefix "${prefix}")
  if(_velt_prefix STREQUAL "/usr" OR _velt_prefix STREQUAL "/usr/local")
    set(VELT_SHARED_PREFIX TRUE)
    set(VELT_PROGRAM_DIR "${_velt_prefix}/lib/veltra")
    # The icon theme directories of a shared prefix are searched by name.
    set(VELT_DESKTOP_ICON "veltra")
  else()
    set(VELT_SHARED_PREFIX FALSE)
    set(VELT_PROGRAM_DIR "${_velt_prefix}/bin")
    # Nothing searches a prefix of its own: name the icon by its path.
    set(VELT_DESKTOP_ICON "${_velt_prefix}/share/icons/hicolor/scalable/apps/veltra.svg")
  endif()
  set(VELT_DESKTOP_BIN_DIR "${_velt_prefix}/bin")
endmacro()

# velt_configure_desktop(TEMPLATE OUTPUT PREFIX) writes one desktop entry.
function(velt_configure_desktop template output prefix)
  velt_layout("${prefix}")
  file(READ "${template}" text)
  string(CONFIGURE "${text}" text @ONLY)
  file(WRITE "${output}" "${text}")
endfunction()
