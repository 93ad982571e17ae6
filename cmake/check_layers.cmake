# Fails when a file of a layer includes a header of a layer above it:
#   cmake -DSOURCE_DIR=... -P cmake/check_layers.cmake
# The layers, bottom to top: core, formats, convert, ui, then the front-ends
# (app, winapp, cli), which nothing includes. Each layer's tests, fuzz
# targets and benchmarks are held to its own place too; what they all share,
# testing/, is for them alone and never included by a layer's own code.
cmake_minimum_required(VERSION 3.25)
set(layers core formats convert ui)
set(above_core formats convert ui app winapp cli)
set(above_formats convert ui app winapp cli)
set(above_convert ui app winapp cli)
set(above_ui app winapp cli)
set(faults "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file IN LISTS files)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
    set(forbidden ${above_${layer}})
    if(NOT shown MATCHES "/(tests|fuzz|bench)/")
      list(APPEND forbidden testing)
    endif()
    file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "^#include \"([a-z]+)/" _ "${line}")
      if(CMAKE_MATCH_1 IN_LIST forbidden)
        string(APPEND faults "  ${shown}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "includes that run upward:\n${faults}")
endif()
message(STATUS "every include runs to the layer itself or below it")
