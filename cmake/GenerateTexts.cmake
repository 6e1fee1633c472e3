# vorlane_texts(<target> <table> [<header>]): turns the UTF-8 text table <table>
# (relative to the calling folder) into a header of GBK literals with
# tools/make_texts.py, at build time. The header is included as "<header>", by
# default "<folder under src>/<table name>.h" (src/check/check_texts.txt gives
# "check/check_texts.h"). It lands in the build tree, in a folder of <target>'s own
# that joins <target>'s public include path: code that includes it without linking
# <target> fails to compile instead of racing the generation.
include_guard(GLOBAL)

function(vorlane_texts target table)
  if(ARGC GREATER 2)
    set(header ${ARGV2})
  else()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    if(folder MATCHES "^\\.\\." OR IS_ABSOLUTE "${folder}")
      message(FATAL_ERROR "vorlane_texts: ${CMAKE_CURRENT_SOURCE_DIR} is not under src/; name the header")
    endif()
    get_filename_component(stem ${table} NAME_WE)
    set(header ${folder}/${stem}.h)
  endif()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(in ${CMAKE_CURRENT_SOURCE_DIR}/${table})
  set(dir ${CMAKE_BINARY_DIR}/generated/${target})
  set(out ${dir}/${header})
  add_custom_command(
    OUTPUT ${out}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_texts.py ${in} ${out}
    DEPENDS ${in} ${PROJECT_SOURCE_DIR}/tools/make_texts.py
    COMMENT "Generating ${header} from ${table}"
    VERBATIM)
  # A target of its own, so that the header is made before anything of <target>, or
  # of a target linking it, is compiled, without waiting for <target>'s own
  # dependencies to be built first (as a custom command of <target> would).
  add_custom_target(${target}_texts DEPENDS ${out})
  add_dependencies(${target} ${target}_texts)
  target_include_directories(${target} PUBLIC ${dir})
endfunction()
