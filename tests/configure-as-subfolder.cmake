# Configures a small project that takes this one in as a subfolder, so that
# every path of this project's CMake files is its own, not the includer's.
# Arguments: -DSOURCE=<this project's source folder> -DWORK=<scratch folder>
#            -DGENERATOR=<the CMake generator to use>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/outer")
file(WRITE "${WORK}/outer/CMakeLists.txt"
  "cmake_minimum_required(VERSION 3.25)\n"
  "project(Outer LANGUAGES CXX)\n"
  "add_subdirectory(\"${SOURCE}\" filewright)\n")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${WORK}/outer" -B "${WORK}/build" -G "${GENERATOR}"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
file(REMOVE_RECURSE "${WORK}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring as a subfolder failed:\n${errors}")
endif()
