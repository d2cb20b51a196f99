# Fails when a source file outside the run-time layer includes a Qt header.
# Qt is the run-time's own business: programs, the link, the combo box, the
# logo, the simulator and the benchmarks use the run-time's services only.
# Test folders (they inspect widgets) and tools/ (build-time generators) may
# use Qt directly.
#   cmake -DROOT=<source dir> -P CheckQtIncludes.cmake
if(NOT ROOT)
  message(FATAL_ERROR "ROOT not set")
endif()
file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/*.cpp ${ROOT}/*.cc ${ROOT}/*.h ${ROOT}/*.hpp)
set(offenders "")
set(checked 0)
foreach(f ${files})
  if(f MATCHES "^(runtime|tools|tests|build[^/]*|demo-out)/" OR f MATCHES "(^|/)tests/" OR f MATCHES "^\\.")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${lines})
    # <QWidget>, <QtCore/QString>, <qstring.h>, "QWidget": Qt's headers. A
    # project header such as "QuillonV20Program.h" has an extension.
    if(line MATCHES "include[ \t]*<(Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/[^>]*|q[a-z0-9_]*\\.h)>"
       OR line MATCHES "include[ \t]*\"(Q[A-Za-z0-9_]*|Qt[A-Za-z0-9_]*/[^\"]*)\"")
      list(APPEND offenders "${f}: ${line}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "Qt headers included outside runtime/:\n  ${text}")
endif()
message(STATUS "no Qt header outside runtime/ (${checked} files looked at)")
