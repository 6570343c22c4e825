# The layer check on small trees of its own: each case is one file with one
# include, and whether the ladder allows it.
#   cmake -DCHECK_SCRIPT=<CheckLayers.cmake> -DWORK_DIR=<scratch folder> -P LayerCheckTest.cmake
cmake_minimum_required(VERSION 3.25)

# file | included header | PASS or the text the failure must name
set(cases
  "stage/A.h|stage/B.h|PASS"
  "storage/A.cpp|stage/StageRecord.h|PASS"
  "editor/A.cpp|platform/Types.h|PASS"        # through the engine
  "editor/A.cpp|art/ArtData.h|PASS"
  "ui/A.cpp|storage/TextMap.h|PASS"           # through the editor
  "app/A.cpp|stage/ToolMode.h|PASS"
  "editor/A.cpp|ArtPictures.h|PASS"           # no folder: not a layer's header
  "storage/A.cpp|editor/Main.h|storage may not use editor"
  "stage/A.h|storage/TextMap.h|stage may not use storage"
  "engine/A.cpp|stage/TileCodes.h|engine may not use stage"
  "platform/A.cpp|engine/DXDraws.h|platform may not use engine"
  "editor/A.cpp|ui/MainWindow.h|editor may not use ui"
  "ui/A.cpp|app/SplashFm.h|ui may not use app"
  "cli/A.cpp|ui/MainWindow.h|cli may not use ui"
  "ui/A.cpp|cli/ToolArgs.h|ui may not use cli"
  "editor/A.cpp|../ui/X.h|climbs out of its folder"
  "editor/A.cpp|tools/X.h|tools/ is no layer"
  "tools/A.cpp|stage/B.h|tools/: a folder that is on no level")

set(failures "")
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  list(GET parts 2 expected)
  math(EXPR index "${index} + 1")
  set(tree "${WORK_DIR}/case${index}")
  file(REMOVE_RECURSE "${tree}")
  file(WRITE "${tree}/${file}" "// a case\n#include <vector>\n  #  include \"${header}\"  // why\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECK_SCRIPT}
                  RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
  string(REPLACE "\n" " " output "${output}")
  string(REGEX REPLACE "  +" " " output "${output}")
  if(expected STREQUAL "PASS")
    if(NOT result EQUAL 0)
      string(APPEND failures "${file} including ${header} was refused: ${output}\n")
    endif()
  elseif(result EQUAL 0)
    string(APPEND failures "${file} including ${header} was let through\n")
  else()
    string(FIND "${output}" "${expected}" at)
    if(at EQUAL -1)
      string(APPEND failures "${file} including ${header}: expected \"${expected}\" in: ${output}\n")
    endif()
  endif()
endforeach()

# The real tree keeps the ladder.
get_filename_component(checkDir "${CHECK_SCRIPT}" DIRECTORY)
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${checkDir}/../src -P ${CHECK_SCRIPT}
                RESULT_VARIABLE result ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  string(APPEND failures "src/ breaks the ladder: ${output}\n")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
list(LENGTH cases count)
message(STATUS "${count} include cases and src/ as the ladder says")
