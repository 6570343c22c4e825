# Coverage-guided fuzz targets, one line each: the folder tests/fuzz/NAME
# holds the target's sources (defining LLVMFuzzerTestOneInput) and maybe
# seeds/ (inputs made for it), LIBS names the libraries it reads through,
# SEEDS the other files and folders of the source tree that start its corpus,
# DICT a libFuzzer dictionary in its folder.
#
# With STAGE_FUZZ (clang) each becomes fuzz-NAME, built with libFuzzer and,
# like every library it uses, with AddressSanitizer and
# UndefinedBehaviorSanitizer; scripts/fuzz.sh runs them from the list this
# writes (fuzz-targets.txt). In the normal builds each becomes
# fuzz-NAME-replay, which CTest runs over the seeds and over every crash
# input saved in tests/fuzz/NAME/crashes.

if(STAGE_FUZZ)
  add_custom_target(fuzz-targets)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz-targets.txt "")
endif()

function(stage_fuzz_target name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DICT" "LIBS;SEEDS")
  set(folder ${CMAKE_SOURCE_DIR}/tests/fuzz/${name})
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  list(TRANSFORM arg_SEEDS PREPEND ${CMAKE_SOURCE_DIR}/)
  if(IS_DIRECTORY ${folder}/seeds)
    list(APPEND arg_SEEDS ${folder}/seeds)
  endif()
  if(STAGE_FUZZ)
    set(target fuzz-${name})
    add_executable(${target} ${sources})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz-targets ${target})
    set(dict "")
    if(arg_DICT)
      set(dict ${folder}/${arg_DICT})
    endif()
    list(JOIN arg_SEEDS " " seeds)
    file(APPEND ${CMAKE_BINARY_DIR}/fuzz-targets.txt "${name}|${dict}|${seeds}\n")
  else()
    set(target fuzz-${name}-replay)
    add_executable(${target} ${sources} ${CMAKE_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    add_test(NAME Fuzz.${name}.seeds COMMAND ${target} ${arg_SEEDS})
    set(tests Fuzz.${name}.seeds)
    file(GLOB crashes CONFIGURE_DEPENDS ${folder}/crashes/*)
    foreach(crash ${crashes})
      get_filename_component(crash_name ${crash} NAME)
      add_test(NAME Fuzz.${name}.${crash_name} COMMAND ${target} ${crash})
      list(APPEND tests Fuzz.${name}.${crash_name})
    endforeach()
    set_tests_properties(${tests} PROPERTIES LABELS fuzz ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${arg_LIBS})
endfunction()

stage_fuzz_target(textmap LIBS storage SEEDS examples/maps tests/data DICT textmap.dict)
stage_fuzz_target(record LIBS cli SEEDS examples/Stage.Dat)
stage_fuzz_target(bmp LIBS engine SEEDS examples/Map)
stage_fuzz_target(jpeg LIBS platform SEEDS examples/Map)
stage_fuzz_target(tiledmap LIBS storage DICT tiledmap.dict)
