# The fuzzers: clang with libFuzzer over the parsers of tool output, in a build of their own
# (preset "fuzz"). clang writes string literals only in UTF-8, so here the program's texts are
# UTF-8 rather than code page 936; that changes what the parsers print, not how they walk input.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The fuzz build needs clang (preset fuzz)")
endif()
set(QV_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -g -O1)
set(QV_FUZZ_FLAGS -fsanitize=fuzzer ${QV_SANITIZE_FLAGS})
set(QV_FUZZ_SOURCES src/base/helpers.cpp src/base/text_between_all.cpp src/base/regex_object.cpp
    src/base/cmd_quoting.cpp src/jobs/wim_editions.cpp src/jobs/imagex_commands.cpp
    src/jobs/imagex_progress.cpp)
# The seam and the fakes behind it are checked by the sanitizers but give the fuzzer no coverage to
# steer by: their paths are not the parsers' paths.
add_library(qv_fuzz_seam STATIC src/platform/os.cpp tests/fakes/fake_com.cpp)
target_include_directories(qv_fuzz_seam PRIVATE src tests)
target_compile_options(qv_fuzz_seam PRIVATE ${QV_SANITIZE_FLAGS})
foreach(name wim_editions imagex_progress)
  add_executable(fuzz_${name} tests/fuzz/${name}_fuzz.cpp ${QV_FUZZ_SOURCES})
  target_include_directories(fuzz_${name} PRIVATE src tests)
  target_compile_options(fuzz_${name} PRIVATE ${QV_FUZZ_FLAGS})
  target_link_options(fuzz_${name} PRIVATE ${QV_FUZZ_FLAGS})
  target_link_libraries(fuzz_${name} PRIVATE qv_fuzz_seam)
endforeach()
