# Win32 build: the program itself, the stand-in tools and the tests that run under Wine.
enable_language(RC)
set(QV_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/deps/${CMAKE_SYSTEM_PROCESSOR}" CACHE PATH "Cross-built libpng and libjpeg")
if(NOT EXISTS "${QV_DEPS_PREFIX}/lib/libpng16.a")
  message(FATAL_ERROR "libpng for ${CMAKE_SYSTEM_PROCESSOR} is missing in ${QV_DEPS_PREFIX}: run scripts/setup.sh")
endif()

add_library(qv_png STATIC IMPORTED)
set_target_properties(qv_png PROPERTIES IMPORTED_LOCATION "${QV_DEPS_PREFIX}/lib/libpng16.a"
                      INTERFACE_INCLUDE_DIRECTORIES "${QV_DEPS_PREFIX}/include")
add_library(qv_jpeg STATIC IMPORTED)
set_target_properties(qv_jpeg PROPERTIES IMPORTED_LOCATION "${QV_DEPS_PREFIX}/lib/libjpeg.a"
                      INTERFACE_INCLUDE_DIRECTORIES "${QV_DEPS_PREFIX}/include")
# The static zlib: the import library would make the program need zlib1.dll, which Windows PE lacks.
add_library(qv_zlib STATIC IMPORTED)
set_target_properties(qv_zlib PROPERTIES IMPORTED_LOCATION /usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32/lib/libz.a)

set(QV_WIN32_LINK -static -static-libgcc -static-libstdc++)
set(QV_WIN32_LIBS comctl32 comdlg32 gdi32 msimg32 user32 shell32 shlwapi ole32 oleaut32 uuid
    version advapi32)

file(GLOB QV_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
list(FILTER QV_WIN32_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(qv_win32 STATIC ${QV_WIN32_SOURCES})
target_link_libraries(qv_win32 PUBLIC qv_core qv_png qv_jpeg qv_zlib ${QV_WIN32_LIBS})
target_compile_definitions(qv_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                           _WIN32_WINNT=0x0601 WINVER=0x0601)
target_compile_options(qv_win32 PRIVATE ${QV_WARNINGS})
option(QV_TEST_HOOKS "Scripted notices for the Wine tests and the demo (off for a release)" ON)
if(QV_TEST_HOOKS)
  target_compile_definitions(qv_win32 PUBLIC QV_TEST_HOOKS)
endif()
target_link_options(qv_win32 PUBLIC ${QV_WIN32_LINK})

# Resources: version, manifest, pictures. The RC sources are ASCII; windres reads them as such.
set(QV_RC_INCLUDES -I${CMAKE_SOURCE_DIR}/assets -I${CMAKE_SOURCE_DIR}/src/platform/win32)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/assets -I${CMAKE_SOURCE_DIR}/src/platform/win32")

add_executable(QuennixVelquist WIN32 src/platform/win32/main.cpp src/platform/win32/resources.rc)
target_link_libraries(QuennixVelquist PRIVATE qv_win32)
target_link_options(QuennixVelquist PRIVATE -municode)
target_compile_options(QuennixVelquist PRIVATE ${QV_WARNINGS})

# The Wine tests: GoogleTest from Debian's sources, built with the posix-thread compilers.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)
file(GLOB QV_WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
# The tests carry pictures of their own besides the program's resources.
add_executable(qv_wine_tests ${QV_WINE_TESTS} tests/wine/support/sample_window.cpp
               tests/wine/support/runtime_fixture.cpp
               src/platform/win32/resources.rc tests/wine/data/test_pictures.rc)
file(GLOB QV_TEST_PICTURES CONFIGURE_DEPENDS tests/wine/data/*.png tests/wine/data/*.jpg)
set_source_files_properties(tests/wine/data/test_pictures.rc PROPERTIES OBJECT_DEPENDS "${QV_TEST_PICTURES}")
target_link_libraries(qv_wine_tests PRIVATE qv_win32 gtest gtest_main)
target_include_directories(qv_wine_tests PRIVATE tests tests/wine src/platform/win32 tests/wine/data)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh")
set_target_properties(qv_wine_tests PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh")
gtest_discover_tests(qv_wine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)

if(EXISTS "${CMAKE_SOURCE_DIR}/tools/standin/CMakeLists.txt")
  add_subdirectory(tools/standin)
endif()

# The end-to-end tests' outside observer of the program's windows.
add_executable(qv_probe tests/e2e/probe.cpp)
target_compile_definitions(qv_probe PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_options(qv_probe PRIVATE ${QV_WIN32_LINK})
target_compile_options(qv_probe PRIVATE ${QV_WARNINGS})
