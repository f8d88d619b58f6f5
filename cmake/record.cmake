# mijotine-record: the show played on a fixed clock and written to a video
# file. Built only where FFmpeg's libraries are found (setup.sh video), so
# that the show itself never needs them.
option(MIJOTINE_RECORDER "Build mijotine-record where FFmpeg's libraries are found" ON)
if(NOT MIJOTINE_RECORDER)
  return()
endif()
pkg_check_modules(FFMPEG IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)
pkg_check_modules(VORBISFILE IMPORTED_TARGET vorbisfile)
if(NOT FFMPEG_FOUND OR NOT VORBISFILE_FOUND)
  message(STATUS "FFmpeg's libraries not found: not building mijotine-record (scripts/setup.sh video)")
  return()
endif()

file(GLOB RECORD_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/record/*.cpp)
list(APPEND RECORD_SOURCES ${CMAKE_SOURCE_DIR}/src/audio/recorded_music.cpp)
add_library(mijotine_record STATIC ${RECORD_SOURCES})
# Every pixel of every frame goes through the colour conversion: let the
# compiler vectorise its loops.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/record/yuv.cpp PROPERTIES COMPILE_OPTIONS -O3)
target_include_directories(mijotine_record PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(mijotine_record PUBLIC mijotine_core PkgConfig::FFMPEG PkgConfig::VORBISFILE)

add_executable(mijotine-record ${CMAKE_SOURCE_DIR}/src/show/record_main.cpp)
target_link_libraries(mijotine-record PRIVATE mijotine_record)
# Installed beside the launcher, it finds the data set the way the launcher does.
target_compile_definitions(mijotine-record PRIVATE MIJOTINE_INSTALLED_DATA="${LAUNCHER_DATA}")

# Tests: the recorder run as a program and its files read back with libavformat.
find_package(GTest QUIET)
if(GTest_FOUND)
  enable_testing()
  include(GoogleTest)
  file(GLOB RECORD_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/record/*.cpp)
  if(RECORD_TEST_SOURCES)
    add_executable(test_record ${RECORD_TEST_SOURCES})
    target_link_libraries(test_record PRIVATE mijotine_record test_support GTest::gtest_main)
    target_compile_definitions(test_record PRIVATE MIJOTINE_RECORD="$<TARGET_FILE:mijotine-record>")
    add_dependencies(test_record mijotine-record data)
    # Its tests are registered with the others' (CMakeLists.txt).
  endif()
endif()
