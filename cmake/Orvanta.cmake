# Helpers shared by all folders.

# A plug-in: a MODULE library without the "lib" prefix, next to the program in bin/.
# Only GetModuleFactory is exported (hidden visibility for everything else).
function(orvanta_add_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PRIVATE corvane ${P_LIBS})
endfunction()

# One GoogleTest executable per folder; every test runs on Qt's offscreen platform.
# LOCALES runs every test once per locale named (LC_ALL), each name prefixed "<locale>.".
function(orvanta_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LOCALES" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock Qt6::Widgets ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ORVANTA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    ORVANTA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # gtest_discover_tests flattens list values, so each property carries one entry (the
  # leak suppressions come from test.sh).
  set(_props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(NOT T_LOCALES)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${_props})
  endif()
  foreach(_locale ${T_LOCALES})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_PREFIX "${_locale}."
      PROPERTIES ${_props} ENVIRONMENT_MODIFICATION "LC_ALL=set:${_locale}")
  endforeach()
endfunction()

# A Google Benchmark program in bench/ (built, never run by ctest).
function(orvanta_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${B_LIBS})
endfunction()

# Adds the test executable `name` from every *.cpp in the calling folder, if any.
function(orvanta_folder_test name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_srcs)
    orvanta_add_test(${name} SOURCES ${_srcs} ${ARGN})
  endif()
endfunction()

# One of our own shared libraries in libs/<name>/: every *.cpp of the calling folder.
# Before it has sources it is an empty interface target, so the tree stays configurable.
function(orvanta_add_library name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _srcs)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/libs)
    return()
  endif()
  add_library(${name} SHARED ${_srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/libs)
endfunction()
