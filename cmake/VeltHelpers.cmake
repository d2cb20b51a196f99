include(GoogleTest)

# Tests that start a graphical user interface (a program, a panel, Qt's
# widgets) carry the label gui and run without leak checking; every other
# test is leak-checked in the sanitizer build (HACKING.md says why).
set(VELT_GUI_TEST_ENV "LSAN_OPTIONS=detect_leaks=0")

# velt_gui_tests(TEST...): marks tests of the current folder as GUI tests.
function(velt_gui_tests)
  foreach(t ${ARGN})
    set_property(TEST ${t} APPEND PROPERTY LABELS gui)
    set_property(TEST ${t} APPEND PROPERTY ENVIRONMENT "${VELT_GUI_TEST_ENV}")
  endforeach()
endfunction()

# velt_add_gtest(NAME [GUI] SOURCES... LIBS ... [LABELS ...])
# One GoogleTest executable, registered with CTest. Tests run headless and
# see the shared test helpers (tests/support). GUI: it shows panels or widgets.
function(velt_add_gtest name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELT_BIN_DIR=${CMAKE_BINARY_DIR}/bin;VELT_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT 300)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_GUI)
    velt_gui_tests(${name})
  endif()
endfunction()

# velt_add_e2e(NAME [GUI] SOURCES... LIBS ...)
# An end-to-end test executable (whole programs against the simulator). Each
# of its cases is a CTest entry of its own, named NAME.Suite.Case and labelled
# e2e, so that `ctest -j` spreads long cases over the cores and `ctest -R NAME`
# still runs them all. GUI: its cases start a program's user interface (label
# gui, no leak checking). The cases are listed when CTest runs, so building
# never starts the executable; tests/support/testenv.cpp gives every case the
# programs of this build tree and the offscreen platform.
function(velt_add_e2e name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/testenv.cpp)
  target_compile_definitions(${name} PRIVATE VELT_DEFAULT_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
                             VELT_DEFAULT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_GUI)
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES NO_PRETTY_TYPES
      DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 300 LABELS e2e)
    return()
  endif()
  gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES NO_PRETTY_TYPES
    DISCOVERY_TIMEOUT 30 TEST_LIST ${name}_TESTS PROPERTIES TIMEOUT 300)
  # The two labels and the environment, given once the cases are listed (a
  # list value does not pass through PROPERTIES).
  set(gui ${CMAKE_CURRENT_BINARY_DIR}/${name}_gui.cmake)
  file(WRITE ${gui} "foreach(t IN LISTS ${name}_TESTS)\n"
                    "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"e2e;gui\" ENVIRONMENT \"${VELT_GUI_TEST_ENV}\")\n"
                    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${gui})
endfunction()

# velt_add_panels(TARGET UIRFILE)
# Copies the panel resource file beside the executables and generates the
# header of panel and control identifiers from it, so the two never drift.
# Several targets may use the same file.
function(velt_add_panels target uir)
  get_filename_component(base ${uir} NAME_WE)
  get_filename_component(name ${uir} NAME)
  get_filename_component(src ${uir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(gendir ${CMAKE_CURRENT_BINARY_DIR}/gen)
  if(NOT TARGET ${base}_panels)
    set(hdr ${gendir}/${base}Ids.h)
    add_custom_command(OUTPUT ${hdr}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${gendir}
      COMMAND uirgen ${src} ${hdr}
      DEPENDS uirgen ${src}
      COMMENT "Generating control identifiers from ${name}")
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${CMAKE_BINARY_DIR}/bin/${name}
      DEPENDS ${src})
    add_custom_target(${base}_panels DEPENDS ${hdr} ${CMAKE_BINARY_DIR}/bin/${name})
  endif()
  add_dependencies(${target} ${base}_panels)
  target_include_directories(${target} PRIVATE ${gendir})
endfunction()
