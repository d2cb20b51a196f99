# Makes the Debian package ready for the package tests and unpacks it:
#   cmake -DBUILD_DIR=DIR -DCPACK=PATH -DROOT=DIR -P PreparePackage.cmake
# Uses the package that scripts/package (or an earlier run) left in
# BUILD_DIR/package when it is newer than everything it holds; otherwise
# builds it with CPack. Then unpacks it into ROOT (emptied first) with
# dpkg-deb and writes the package's path to ROOT.deb.
foreach(v BUILD_DIR CPACK ROOT)
  if(NOT ${v})
    message(FATAL_ERROR "PreparePackage.cmake: ${v} is not set")
  endif()
endforeach()

function(newest_package out)
  file(GLOB debs "${BUILD_DIR}/package/veltra_*.deb")
  set(best "")
  foreach(d IN LISTS debs)
    if(NOT best OR "${d}" IS_NEWER_THAN "${best}")
      set(best "${d}")
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

newest_package(deb)
set(fresh FALSE)
if(deb)
  set(fresh TRUE)
  file(GLOB_RECURSE inputs "${BUILD_DIR}/bin/*" "${BUILD_DIR}/man/*.gz" "${BUILD_DIR}/icons/*"
       "${BUILD_DIR}/applications/*")
  foreach(f IN LISTS inputs)
    # IS_NEWER_THAN is also true for equal times: then the package is rebuilt.
    if("${f}" IS_NEWER_THAN "${deb}")
      set(fresh FALSE)
      break()
    endif()
  endforeach()
endif()
if(NOT fresh)
  message(STATUS "building the package with CPack")
  execute_process(COMMAND "${CPACK}" -G DEB WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE rc
                  OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${log}")
  endif()
  newest_package(deb)
else()
  message(STATUS "using ${deb}")
endif()
if(NOT deb)
  message(FATAL_ERROR "no package in ${BUILD_DIR}/package")
endif()

file(REMOVE_RECURSE "${ROOT}")
file(MAKE_DIRECTORY "${ROOT}")
execute_process(COMMAND dpkg-deb -x "${deb}" "${ROOT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x ${deb} failed")
endif()
file(WRITE "${ROOT}.deb" "${deb}")
