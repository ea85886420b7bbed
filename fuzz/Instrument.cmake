# The fuzz build: every target of the tree is compiled with libFuzzer's
# coverage instrumentation, AddressSanitizer and UndefinedBehaviorSanitizer,
# so the library code a fuzz target calls is instrumented like the target.
# Any sanitizer finding aborts the run. Only the fuzz targets themselves link
# libFuzzer's driver (-fsanitize=fuzzer, see fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "GK_BUILD_FUZZ needs clang (e.g. -DCMAKE_CXX_COMPILER=clang++-14).")
endif()
if(GK_SANITIZE)
  message(FATAL_ERROR "GK_BUILD_FUZZ already builds with the sanitizers; leave GK_SANITIZE off.")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
  -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)
