# One warning set for every target of the project (not for third-party code).
add_library(vorlane_warnings INTERFACE)
target_compile_options(vorlane_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough>
  $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
# GCC 12's -Wrestrict misfires inside libstdc++'s string concatenation at -O2
# (GCC bug 105329, fixed in 13): it reports overlaps of impossible sizes.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(vorlane_warnings INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
endif()
