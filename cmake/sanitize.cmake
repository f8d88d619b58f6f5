# AddressSanitizer + UndefinedBehaviorSanitizer build of the program, its
# library and everything that links it (tests, benchmarks):
#   cmake -S . -B build-sanitize -DMIJOTINE_SANITIZE=ON
# The data generators do not link the library and stay plain, so the data set
# comes out the same and fontconfig's own leaks never reach the report.
option(MIJOTINE_SANITIZE "Build the program and its tests with ASan and UBSan" OFF)
if(MIJOTINE_SANITIZE)
  set(MIJOTINE_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  target_compile_options(mijotine_core PUBLIC ${MIJOTINE_SANITIZE_FLAGS})
  target_link_options(mijotine_core PUBLIC ${MIJOTINE_SANITIZE_FLAGS})
  # Run-time loaded libraries stay loaded, so leak reports name them.
  target_sources(mijotine_core INTERFACE ${CMAKE_SOURCE_DIR}/tests/sanitize/keep_modules.cpp)
  target_link_options(mijotine_core INTERFACE -Wl,--export-dynamic-symbol=dlclose)
  message(STATUS "Sanitizers: address, undefined (program, library and tests)")
endif()
