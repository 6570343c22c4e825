# Fails when a file under SOURCE_DIR includes a header of a layer that the
# ladder (Layers.cmake) puts above its own, or of a folder that is no layer.
#   cmake -DSOURCE_DIR=<dir holding the layer folders> [-DSTAMP=<file>] -P CheckLayers.cmake
# Only quoted includes whose first part names a folder are checked: "ui/X.h"
# is a layer's header, "ArtPictures.h" or <QWidget> are not. Writes STAMP
# when everything is in order, so the build reruns the check only after a
# change.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "CheckLayers: no folder SOURCE_DIR=\"${SOURCE_DIR}\"")
endif()

set(faults "")
file(GLOB folders LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${SOURCE_DIR}/${folder}" AND NOT folder IN_LIST STAGE_LAYERS)
    string(APPEND faults "  ${folder}/: a folder that is on no level of the ladder\n")
  endif()
endforeach()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" layer "${file}")
  if(NOT layer IN_LIST STAGE_LAYERS OR file STREQUAL layer)
    continue()
  endif()
  stage_layer_reach(${layer} allowed)
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    if(header MATCHES "^\\.\\./|/\\.\\./")
      string(APPEND faults "  ${file}: #include \"${header}\" climbs out of its folder; name the layer instead\n")
      continue()
    endif()
    if(NOT header MATCHES "/")
      continue()
    endif()
    string(REGEX MATCH "^[^/]+" target "${header}")
    if(NOT target IN_LIST STAGE_LAYERS)
      string(APPEND faults "  ${file}: #include \"${header}\": ${target}/ is no layer\n")
    elseif(NOT target IN_LIST allowed)
      string(APPEND faults "  ${file}: #include \"${header}\": ${layer} may not use ${target} (it is not below ${layer})\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes against the layer ladder (cmake/Layers.cmake):\n${faults}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
