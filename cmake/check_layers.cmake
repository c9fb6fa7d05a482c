# Fails when a library includes a header of a layer above it. Run by ctest as
#   cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
# Each layer may include itself and the layers listed for it; the program, the tools, the
# tests and the benchmarks sit on top and may include anything.
cmake_minimum_required(VERSION 3.25)
set(allowed_platform "platform")
set(allowed_runtime "runtime;platform")
set(allowed_recdb "recdb;runtime;platform")
set(allowed_media "media;runtime;platform")
set(allowed_loudness "loudness;media;runtime;platform")
set(allowed_lights "lights;runtime;platform")
set(allowed_ui "ui;runtime;platform")
set(allowed_app "app;ui;recdb;media;loudness;lights;runtime;platform")
set(allowed_backends "backends;ui;media;lights;runtime;platform")
set(our_folders platform runtime recdb media loudness lights ui app backends program tools tests bench)

set(violations "")
foreach(layer platform runtime recdb media loudness lights ui app backends)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.def)
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*$" "\\1" folder "${line}")
      if(folder IN_LIST our_folders AND NOT folder IN_LIST allowed_${layer})
        string(APPEND violations "  ${source}: ${layer} includes ${folder}: ${line}\n")
      endif()
      # The platform's interfaces are its headers; how POSIX implements them stays inside.
      if(NOT layer STREQUAL "platform" AND line MATCHES "\"platform/posix/")
        string(APPEND violations "  ${source}: ${layer} includes an implementation: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that point up a layer:\n${violations}")
endif()
message(STATUS "Every include points down a layer")
