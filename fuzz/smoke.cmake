# Short runs of the fuzz targets as tests of this build. The targets need
# clang, which this build need not use, so they are built in a clang build
# folder of their own inside this one (`fuzz/`), on every build.
option(ZEVA_FUZZ_SMOKE "Run each fuzz target briefly as a test" ON)
set(ZEVA_FUZZ_SMOKE_SECONDS 10 CACHE STRING "Seconds of each short fuzz run")
if(ZEVA_FUZZ_SMOKE)
  find_program(ZEVA_CLANGXX NAMES clang++ REQUIRED)
  include(ExternalProject)
  set(fuzz_dir ${CMAKE_BINARY_DIR}/fuzz)
  ExternalProject_Add(fuzz_targets
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${fuzz_dir}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${ZEVA_CLANGXX} -DZEVA_FUZZ=ON
               -DZEVA_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${fuzz_dir} --target fuzzers -j 2
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
  foreach(target load expression mutation notation mmscript run)
    add_test(NAME fuzz_${target}
             COMMAND ${PROJECT_SOURCE_DIR}/fuzz/run.sh
                     ${fuzz_dir}/bin/fuzz_${target} ${ZEVA_FUZZ_SMOKE_SECONDS}
                     ${CMAKE_BINARY_DIR}/fuzz_runs/${target})
    set_tests_properties(fuzz_${target} PROPERTIES
      ENVIRONMENT FUZZ_FRESH=1 TIMEOUT 300 LABELS fuzz)
  endforeach()
endif()
