# The fuzz targets as plain test programs of the normal build (any compiler, no
# libFuzzer): each replays its seeds and every crash it ever found, so a fault fixed
# once stays fixed, under the sanitizers too when the build has them. Included from
# tests/CMakeLists.txt; fuzz/CMakeLists.txt builds the same sources for fuzzing.
set(VOREL_FUZZ_DIR ${PROJECT_SOURCE_DIR}/fuzz)
foreach(target frame_fuzz gateway_fuzz system_file_fuzz image_fuzz hex_fuzz trace_fuzz)
  add_executable(${target}_replay ${VOREL_FUZZ_DIR}/${target}.cpp ${VOREL_FUZZ_DIR}/ReplayMain.cpp)
  target_link_libraries(${target}_replay PRIVATE vorel_core)
  set(inputs ${VOREL_FUZZ_DIR}/corpus/${target})
  if(IS_DIRECTORY ${VOREL_FUZZ_DIR}/regressions/${target})
    list(APPEND inputs ${VOREL_FUZZ_DIR}/regressions/${target})
  endif()
  add_test(NAME fuzz_${target} COMMAND ${target}_replay ${inputs})
endforeach()
