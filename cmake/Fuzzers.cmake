# vorlane_add_fuzzer(NAME LIBS lib... [WITH_TEST_SUPPORT]): a libFuzzer target built
# from NAME.cpp. Any undefined-behaviour report stops the run, so a short fuzz run
# fails on it instead of printing and going on. WITH_TEST_SUPPORT lets the target
# include the tests' helpers (tests/support), such as their temporary folder.
function(vorlane_add_fuzzer name)
  cmake_parse_arguments(ARG "WITH_TEST_SUPPORT" "" "LIBS" ${ARGN})
  add_executable(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz)
  if(ARG_WITH_TEST_SUPPORT)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  endif()
  target_compile_options(${name} PRIVATE -fno-sanitize-recover=undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer -fno-sanitize-recover=undefined)
endfunction()
