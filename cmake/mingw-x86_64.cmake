# 64-bit Windows build of the same sources. It exists to run the Windows test suites
# under 64-bit Wine on hosts whose kernel cannot execute 32-bit code.
set(VORLANE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
