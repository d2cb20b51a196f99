# Install-time part of the suite's installation: the programs with their
# panel resource files and brand bitmaps, the links of a shared prefix and
# the desktop entries, laid out for the prefix the installation uses (see
# VeltLayout.cmake). The build sets VELT_EXECUTABLES, VELT_PANEL_FILES,
# VELT_BITMAP_DIR, VELT_DESKTOP_TEMPLATES, VELT_WORK_DIR and VELT_STRIP
# before this script runs.
include("${CMAKE_CURRENT_LIST_DIR}/VeltLayout.cmake")
velt_layout("${CMAKE_INSTALL_PREFIX}")

set(_exe_perms OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(_data_perms OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

file(INSTALL ${VELT_EXECUTABLES} DESTINATION "${VELT_PROGRAM_DIR}" FILE_PERMISSIONS ${_exe_perms})
if(CMAKE_INSTALL_DO_STRIP AND VELT_STRIP)
  foreach(exe IN LISTS VELT_EXECUTABLES)
    get_filename_component(name "${exe}" NAME)
    execute_process(COMMAND "${VELT_STRIP}" "$ENV{DESTDIR}${VELT_PROGRAM_DIR}/${name}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "cannot strip ${VELT_PROGRAM_DIR}/${name}")
    endif()
  endforeach()
endif()

file(GLOB _bitmaps "${VELT_BITMAP_DIR}/brand_*.png")
if(NOT _bitmaps)
  message(FATAL_ERROR "no brand bitmaps in ${VELT_BITMAP_DIR}: build the suite first")
endif()
file(INSTALL ${VELT_PANEL_FILES} ${_bitmaps} DESTINATION "${VELT_PROGRAM_DIR}" FILE_PERMISSIONS ${_data_perms})

if(VELT_SHARED_PREFIX)
  set(_bin "${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${_bin}")
  foreach(exe IN LISTS VELT_EXECUTABLES)
    get_filename_component(name "${exe}" NAME)
    file(RELATIVE_PATH target "${_bin}" "${VELT_PROGRAM_DIR}/${name}")
    message(STATUS "Installing: $ENV{DESTDIR}${_bin}/${name} -> ${target}")
    file(REMOVE "$ENV{DESTDIR}${_bin}/${name}")
    file(CREATE_LINK "${target}" "$ENV{DESTDIR}${_bin}/${name}" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_bin}/${name}")
  endforeach()
endif()

# Desktop entries name the executables and the icon where this prefix has them.
set(_entries "")
foreach(template IN LISTS VELT_DESKTOP_TEMPLATES)
  get_filename_component(name "${template}" NAME)
  string(REGEX REPLACE "\\.in$" "" name "${name}")
  velt_configure_desktop("${template}" "${VELT_WORK_DIR}/applications/${name}" "${CMAKE_INSTALL_PREFIX}")
  list(APPEND _entries "${VELT_WORK_DIR}/applications/${name}")
endforeach()
file(INSTALL ${_entries} DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" FILE_PERMISSIONS ${_data_perms})
