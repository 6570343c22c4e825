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
  "app/A.cpp|stage/TileCodes.h|PASS"
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

# Runs the check with `args` and adds to `failures` when its verdict is not
# `expected` (PASS, or a text its failure must name).
function(run_check what expected)
  execute_process(COMMAND ${CMAKE_COMMAND} ${ARGN} -P ${CHECK_SCRIPT}
                  RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
  string(REPLACE "\n" " " output "${output}")
  string(REGEX REPLACE "  +" " " output "${output}")
  if(expected STREQUAL "PASS")
    if(NOT result EQUAL 0)
      string(APPEND failures "${what} was refused: ${output}\n")
    endif()
  elseif(result EQUAL 0)
    string(APPEND failures "${what} was let through\n")
  else()
    string(FIND "${output}" "${expected}" at)
    if(at EQUAL -1)
      string(APPEND failures "${what}: expected \"${expected}\" in: ${output}\n")
    endif()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

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
  run_check("${file} including ${header}" "${expected}" -DSOURCE_DIR=${tree})
endforeach()

# What works on records alone, in trees with src/ and tests/: file (from the
# top) | included header | what that header includes in turn (none: it is
# not written) | PASS or the text the failure must name.
set(recordsCases
  "src/cli/TextMapSet.cpp|storage/TextMap.h||PASS"
  "src/cli/Render.cpp|editor/Main.h||PASS"    # draws as the editor does
  "src/cli/TextMapSet.cpp|editor/Main.h||it works on stage records alone and may not use editor"
  "src/cli/TiledSet.cpp|cli/Helper.h|editor/Main.h|(through src/cli/Helper.h): it works on stage records alone"
  "tests/storage/A.cpp|support/Kit.h|stage/StageRecord.h|PASS"
  "tests/storage/A.cpp|support/Kit.h|editor/Main.h|(through tests/support/Kit.h): it works on stage records alone")
foreach(case IN LISTS recordsCases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  list(GET parts 2 inner)
  list(GET parts 3 expected)
  math(EXPR index "${index} + 1")
  set(tree "${WORK_DIR}/case${index}")
  file(REMOVE_RECURSE "${tree}")
  file(MAKE_DIRECTORY "${tree}/src")
  file(WRITE "${tree}/${file}" "#include \"${header}\"\n")
  if(inner)
    string(REGEX MATCH "^[^/]+" target "${header}")
    set(headerFile "${tree}/src/${header}")
    if(target STREQUAL "support")
      set(headerFile "${tree}/tests/${header}")
    endif()
    file(WRITE "${headerFile}" "#include \"${inner}\"\n")
  endif()
  set(what "${file} including ${header}")
  if(inner)
    string(APPEND what " (which includes ${inner})")
  endif()
  run_check("${what}" "${expected}" -DSOURCE_DIR=${tree}/src -DROOT_DIR=${tree})
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
list(LENGTH recordsCases recordsCount)
message(STATUS "${count} include cases, ${recordsCount} records-only cases and src/ as the ladder says")
