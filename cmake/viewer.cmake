# BVLIST.EXE, the file viewer shipped beside bivane.exe (built as bvlist.exe), its tests under
# Wine, its benchmark, and the release zip's test. Included by cmake/windows.cmake.
file(GLOB BVLIST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/viewer/*.cpp)
list(REMOVE_ITEM BVLIST_SOURCES ${CMAKE_SOURCE_DIR}/src/viewer/main.cpp)
list(FILTER BVLIST_SOURCES EXCLUDE REGEX "_rules\\.cpp$")  # in bivane_lib: cmake/windows.cmake
add_library(bvlist_lib STATIC ${BVLIST_SOURCES})
target_link_libraries(bvlist_lib PUBLIC bivane_lib)

add_executable(bvlist WIN32 src/viewer/main.cpp resources/bvlist.rc)
# Its common controls on first use too, as bivane.exe's (cmake/windows.cmake says why).
add_dependencies(bvlist bivane_delay_load)
target_link_libraries(bvlist PRIVATE bvlist_lib ${BIVANE_DELAY_LOADED})
target_link_options(bvlist PRIVATE -municode)
# Bivane's S key starts the viewer beside it: building the one builds the other.
add_dependencies(bivane bvlist)

bivane_win_test(viewer_tests tests/viewer/viewer_test.cpp)
target_link_libraries(viewer_tests PRIVATE bvlist_lib)

bivane_bench(viewer_bench ${CMAKE_BINARY_DIR}/bench-smoke 1 1 2)
target_link_libraries(viewer_bench PRIVATE bvlist_lib)

# The release: scripts/package.sh zips this build's programs, stripped; the zip's contents and
# checksum are checked, it is unpacked into an empty folder and Bivane, started there, shows a file
# in the viewer (S).
add_test(NAME release COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/release_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(release PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)

# The launch tests count on finding no BVLIST.EXE beside the program that presses S (they put
# their own on the search path). The viewer is built beside bivane.exe, as it ships, so those
# tests and their recorder run from a folder of their own.
if(TARGET commands_tests)
    set_target_properties(commands_tests recorder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/commands)
endif()
