include(GoogleTest)

set(VELT_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;VELT_BIN_DIR=${CMAKE_BINARY_DIR}/bin;VELT_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# velt_add_gtest(NAME SOURCES... LIBS ... [LABELS ...] [EACH_CASE])
# One GoogleTest executable. Tests run headless and see the shared test
# helpers (tests/support). Without EACH_CASE the executable is one CTest
# entry; with EACH_CASE every test case of it is a CTest entry of its own,
# named NAME.Suite.Case, so that `ctest -j` spreads long cases over the cores
# and `ctest -R NAME` still runs them all.
function(velt_add_gtest name)
  cmake_parse_arguments(T "EACH_CASE" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_EACH_CASE)
    # The cases are listed when CTest runs, so building never starts the
    # executable (it may need programs that are built after it).
    set(props TIMEOUT 120)
    if(T_LABELS)
      list(APPEND props LABELS "${T_LABELS}")
    endif()
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES TEST_LIST ${name}_CASES PROPERTIES ${props})
    # The discovery passes properties on as a flat list, which would split
    # the environment's entries; a script that CTest reads after the discovered
    # cases sets the environment on them whole.
    set(envfile ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${envfile}
      "if(${name}_CASES)\n"
      "  set_tests_properties(\${${name}_CASES} PROPERTIES ENVIRONMENT \"${VELT_TEST_ENVIRONMENT}\")\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${envfile})
    return()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${VELT_TEST_ENVIRONMENT}" TIMEOUT 300)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# velt_add_e2e(NAME SOURCES... LIBS ...)
# An end-to-end test executable (whole programs against the simulator):
# every test case is its own CTest entry, labelled e2e.
function(velt_add_e2e name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  velt_add_gtest(${name} SOURCES ${T_SOURCES} LIBS ${T_LIBS} LABELS e2e EACH_CASE)
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
