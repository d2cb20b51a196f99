# Fails when a source file of the run-time's core part includes a header of
# Qt Gui, Widgets or UiTools, or a header of the run-time's user-interface
# part. The core runs without a display (veltra links it alone).
#   cmake "-DFILES=a.cpp;b.h" -P CheckCoreIncludes.cmake
if(NOT FILES)
  message(FATAL_ERROR "FILES not set")
endif()
# Headers of the user-interface part, and the Gui and Widgets classes a core
# file could reach for by their short names.
set(ui_headers "rt_ui\\.h|rt_internal\\.h|rt_widgets\\.h|uirindex\\.h|runtime\\.h")
set(gui_classes "Q(Gui)?Application|QWidget|QWindow|QPainter[A-Za-z]*|QPixmap|QImage|QColor|QFont[A-Za-z]*|QIcon|QCursor|QKeySequence|QUiLoader|QMessageBox|QFileDialog|QLabel|Q(Key|Mouse|Close|Paint|Resize|Wheel|Show|Hide|Focus|Drag[A-Za-z]*|Drop|ContextMenu)Event")
set(offenders "")
foreach(f ${FILES})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${lines})
    if(line MATCHES "include[ \t]*[<\"](QtGui|QtWidgets|QtUiTools|QtOpenGL)[/>\"]"
       OR line MATCHES "include[ \t]*\"(${ui_headers})\""
       OR line MATCHES "include[ \t]*<(${gui_classes})>")
      get_filename_component(name ${f} NAME)
      list(APPEND offenders "${name}: ${line}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "the run-time's core part reaches into the user-interface part:\n  ${text}")
endif()
list(LENGTH FILES n)
message(STATUS "the run-time's core part is free of Gui and Widgets (${n} files)")
