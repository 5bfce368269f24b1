# Native build: the portable code against the fakes, with sanitizers.
option(QV_SANITIZE "Build the native tests with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(QV_SANITIZE)
  set(QV_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_compile_options(qv_core PUBLIC ${QV_SAN_FLAGS})
  target_link_options(qv_core PUBLIC ${QV_SAN_FLAGS})
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB QV_FAKE_SOURCES CONFIGURE_DEPENDS tests/fakes/*.cpp)
add_library(qv_fakes STATIC ${QV_FAKE_SOURCES})
target_include_directories(qv_fakes PUBLIC tests)
# The fakes fail the running test when the code under test misuses them.
target_link_libraries(qv_fakes PUBLIC qv_core GTest::gtest)
target_compile_options(qv_fakes PRIVATE ${QV_WARNINGS})

file(GLOB QV_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(qv_native_tests ${QV_NATIVE_TESTS})
target_link_libraries(qv_native_tests PRIVATE qv_fakes GTest::gtest GTest::gtest_main)
target_compile_options(qv_native_tests PRIVATE ${QV_WARNINGS})
gtest_discover_tests(qv_native_tests DISCOVERY_TIMEOUT 60)

# Recorded tool output for the tests, copied beside the test programs at every build (afresh, so
# that a fixture removed from the sources is gone there too): the programs find it beside
# themselves, or where QV_FIXTURES_DIR says, so a moved or copied build tree still runs.
add_custom_target(qv_native_fixtures ALL
                  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/fixtures
                  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests/fixtures
                          ${CMAKE_BINARY_DIR}/fixtures
                  VERBATIM)
add_dependencies(qv_native_tests qv_native_fixtures)
# expat reads the answer-file templates back.
find_package(EXPAT REQUIRED)
target_link_libraries(qv_native_tests PRIVATE EXPAT::EXPAT)

# The walk benchmark: not a test (nothing is timed against a limit); it prints how the scan and the
# search compare with the bare directory functions. Built optimised and without sanitizers, from
# the sources themselves, so the ratio means something.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(qv_scan_benchmark tests/bench/scan_benchmark.cpp ${QV_CORE_SOURCES} ${QV_FAKE_SOURCES})
  target_include_directories(qv_scan_benchmark PRIVATE src tests)
  target_compile_options(qv_scan_benchmark PRIVATE ${QV_TEXT_FLAGS} -O2)
  # Some fakes check their callers with GoogleTest assertions.
  target_link_libraries(qv_scan_benchmark PRIVATE benchmark::benchmark GTest::gtest)

  # The progress tick's cost at the console box's size, against one plain scan of the same bytes;
  # scripts/test.sh runs it.
  add_executable(qv_progress_bench tests/bench/progress_bench.cpp src/base/text_between_all.cpp
                 src/base/regex_object.cpp src/base/helpers.cpp src/base/state.cpp
                 src/jobs/command_console.cpp src/jobs/imagex_progress.cpp src/platform/os.cpp)
  target_include_directories(qv_progress_bench PRIVATE src tests)
  target_compile_options(qv_progress_bench PRIVATE ${QV_TEXT_FLAGS} ${QV_WARNINGS} -O2)
  add_dependencies(qv_progress_bench qv_native_fixtures)
  target_link_libraries(qv_progress_bench PRIVATE benchmark::benchmark)
endif()

# The folders of src/ are layers: an include that reaches a folder above its own fails the tests,
# and the check itself must catch one.
add_test(NAME LayerDirection.SourcesIncludeOnlyTheirOwnLayerAndBelow
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/layers/check_layers.sh ${CMAKE_SOURCE_DIR}/src)
add_test(NAME LayerDirection.AnIncludeAgainstTheDirectionFails
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/layers/check_layers.sh
                 ${CMAKE_SOURCE_DIR}/tests/fixtures/layers/upward)
set_tests_properties(LayerDirection.AnIncludeAgainstTheDirectionFails PROPERTIES
                     PASS_REGULAR_EXPRESSION "jobs/job.cpp includes shell/startup.h against the layer direction")
