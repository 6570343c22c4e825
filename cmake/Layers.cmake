# The dependency ladder: every folder of src/ is a layer, listed here with the
# layers it uses directly. A layer may include the headers of the layers it
# uses and of everything they use in turn, never those of a layer above it.
# CMakeLists.txt links each layer's library to exactly these, and
# CheckLayers.cmake rejects any #include "layer/..." that the ladder does not
# allow. Adding a folder to src/ means adding it here.
#
#   level 0  platform  stage  art      (art: the generated pictures)
#   level 1  engine    storage         (storage: Qt Core's XML and JSON and zlib,
#                                       for Tiled's formats; no other Qt)
#   level 2  editor    check
#   level 3  ui        cli
#   level 4  app
set(STAGE_LAYERS platform stage art engine storage editor check ui cli app)
set(STAGE_LAYER_platform_USES "")
set(STAGE_LAYER_stage_USES "")
set(STAGE_LAYER_art_USES "")
set(STAGE_LAYER_engine_USES platform)
set(STAGE_LAYER_storage_USES stage)
set(STAGE_LAYER_editor_USES engine storage art)
set(STAGE_LAYER_check_USES storage platform)
set(STAGE_LAYER_ui_USES editor check)
set(STAGE_LAYER_cli_USES editor check)
set(STAGE_LAYER_app_USES ui)

# Files that work on stage records alone, though their layer stands above
# the editor: the text map, stage-set, Tiled and version-control commands
# (but for diff's pictures) and the tests of storage. They may include nothing of STAGE_RECORDS_ONLY_AVOIDS, directly or
# through a header of tests/support. Globs from the top of the tree.
set(STAGE_RECORDS_ONLY
  src/cli/CheckReport.* src/cli/StageFileCommands.* src/cli/StageSave.* src/cli/TextMapCommands.*
  src/cli/StageOrderCommands.* src/cli/TextMapSet.* src/cli/TileCommands.* src/cli/TiledCommands.* src/cli/TiledSet.*
  src/cli/ToolArgs.*
  src/cli/DiffReport.* src/cli/GitSetup.* src/cli/MergeReport.* src/cli/StageSetInput.* src/cli/StageText.*
  src/cli/TextView.* src/cli/VersionCommands.*
  tests/storage/*)
set(STAGE_RECORDS_ONLY_AVOIDS editor)

# Sets `out` to every layer `layer` may include: itself and all it uses,
# directly or through another.
function(stage_layer_reach layer out)
  set(reach ${layer})
  set(pending ${STAGE_LAYER_${layer}_USES})
  while(pending)
    list(POP_FRONT pending next)
    if(NOT next IN_LIST reach)
      list(APPEND reach ${next})
      list(APPEND pending ${STAGE_LAYER_${next}_USES})
    endif()
  endwhile()
  set(${out} ${reach} PARENT_SCOPE)
endfunction()
