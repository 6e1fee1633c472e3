# Third-party libraries. Natively they come from Debian's -dev packages; the MinGW
# build compiles GoogleTest and minizip from Debian's sources (scripts/setup.sh
# fetches zlib's source into .deps/).
set(VORLANE_DEPS_DIR ${CMAKE_SOURCE_DIR}/.deps CACHE PATH "Where scripts/setup.sh puts fetched sources")

if(WIN32)
  set(_minizip_dir ${VORLANE_DEPS_DIR}/zlib-src/contrib/minizip)
  if(NOT EXISTS ${_minizip_dir}/unzip.c)
    message(FATAL_ERROR "minizip source not found in ${_minizip_dir}; run scripts/setup.sh")
  endif()
  add_library(minizip STATIC ${_minizip_dir}/unzip.c ${_minizip_dir}/ioapi.c ${_minizip_dir}/iowin32.c)
  target_include_directories(minizip SYSTEM PUBLIC ${_minizip_dir})
  target_compile_options(minizip PRIVATE -w)
  target_link_libraries(minizip PUBLIC z)
  add_library(vorlane::minizip ALIAS minizip)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  add_library(vorlane::minizip ALIAS PkgConfig::MINIZIP)
  find_package(CURL REQUIRED)
  find_package(Threads REQUIRED)
endif()

if(VORLANE_TESTS)
  # Built from source in every flavour so that sanitizer builds instrument it too.
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Test-only code: built as quickly as the tests themselves (tests/CMakeLists.txt).
  foreach(target gtest gmock)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>
                                             $<$<CONFIG:RelWithDebInfo>:-g1>)
  endforeach()
endif()

if(VORLANE_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
