# vorlane_delay_load(<dll>...): for each system DLL (wininet, comdlg32...) an
# interface library <dll>_delayload that links a delay-import library made from
# MinGW's import library by tools/make_delay_import.py. A program linking it loads
# the DLL the first time it calls into it, not at start: under Wine each DLL loaded
# at start (and the Unix libraries it brings) costs start-up time and memory.
# -DVORLANE_DELAY_LOAD=OFF links the plain import libraries instead, to measure
# the difference.
option(VORLANE_DELAY_LOAD "Load the DLLs not needed at start on first use" ON)
function(vorlane_delay_load)
  if(NOT VORLANE_DELAY_LOAD)
    foreach(dll IN LISTS ARGN)
      add_library(${dll}_delayload INTERFACE)
      target_link_libraries(${dll}_delayload INTERFACE ${dll})
    endforeach()
    return()
  endif()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
    message(FATAL_ERROR "delay-loading needs the toolchain's dlltool and nm")
  endif()
  foreach(dll IN LISTS ARGN)
    find_library(VORLANE_IMPORT_LIB_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    set(out ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delayload.a)
    add_custom_command(
      OUTPUT ${out}
      COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_delay_import.py ${CMAKE_NM} ${CMAKE_DLLTOOL}
              ${VORLANE_IMPORT_LIB_${dll}} ${dll}.dll ${out}
      DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_delay_import.py ${VORLANE_IMPORT_LIB_${dll}}
      VERBATIM)
    add_custom_target(${dll}_delayload_lib DEPENDS ${out})
    add_library(${dll}_delayload INTERFACE)
    target_link_libraries(${dll}_delayload INTERFACE ${out})
    add_dependencies(${dll}_delayload ${dll}_delayload_lib)
  endforeach()
endfunction()
