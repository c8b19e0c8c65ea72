# The Windows program, its in-process tests (run under Wine) and the end-to-end tests.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
add_compile_options(${BIVANE_WARNING_FLAGS})

file(GLOB_RECURSE BIVANE_WIN_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(REMOVE_ITEM BIVANE_WIN_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
list(FILTER BIVANE_WIN_SOURCES EXCLUDE REGEX "/src/viewer/")  # a program of its own: cmake/viewer.cmake
# ... but its window-free rules are shared: finding files reads text as the viewer does.
file(GLOB BIVANE_VIEWER_RULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/viewer/*_rules.cpp)
list(APPEND BIVANE_WIN_SOURCES ${BIVANE_VIEWER_RULES})

add_library(bivane_lib STATIC ${BIVANE_WIN_SOURCES})
target_include_directories(bivane_lib PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(bivane_lib PUBLIC comctl32 comdlg32 shell32 mpr msimg32 gdi32 user32 winspool uuid ole32)

add_executable(bivane WIN32 src/app/main.cpp resources/bivane.rc)
# The help document and its pictures, beside the program.
configure_file(help/bivane-help.html ${CMAKE_BINARY_DIR}/bivane-help.html COPYONLY)
foreach(picture screenshot screenshot-left-tree screenshot-right-tree)
    configure_file(docs/${picture}.png ${CMAKE_BINARY_DIR}/bivane-help-images/${picture}.png COPYONLY)
endforeach()
# The program loads these libraries on first use, not before main: the common controls alone take
# about 0.1 s to load under Wine, time start-up spends reading its first folder meanwhile. And what
# the loader maps before main is looked for beside the program first: only the system's known
# libraries (kernel32, user32, gdi32, msvcrt), which always come from the system folder, may be
# imported directly. Each .def names the functions the programs call; a function missing there is
# taken from the usual import library, which imports its library before main (the planted test
# says so).
set(BIVANE_DELAY_LOADED)
foreach(dll comctl32 comdlg32 shell32 mpr msimg32 ole32)
    set(lib ${CMAKE_BINARY_DIR}/delay-load/lib${dll}-delay.a)
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay-load
        COMMAND ${CMAKE_DLLTOOL} --input-def ${CMAKE_SOURCE_DIR}/cmake/delay-load/${dll}.def --output-delaylib ${lib}
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay-load/${dll}.def VERBATIM)
    list(APPEND BIVANE_DELAY_LOADED ${lib})
endforeach()
add_custom_target(bivane_delay_load DEPENDS ${BIVANE_DELAY_LOADED})
add_dependencies(bivane bivane_delay_load)
target_link_libraries(bivane PRIVATE bivane_lib ${BIVANE_DELAY_LOADED})
target_link_options(bivane PRIVATE -municode)

# GoogleTest built with the same toolchain.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Fixtures: one Wine prefix per build folder and a wineserver kept alive for the whole run.
add_test(NAME wine_setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh setup ${CMAKE_BINARY_DIR})
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine FIXTURES_REQUIRED drives)
# Extra drive letters (tests/support/drives.sh), made before the server starts.
add_test(NAME drives_setup COMMAND ${CMAKE_SOURCE_DIR}/tests/support/drives.sh setup ${CMAKE_BINARY_DIR})
set_tests_properties(drives_setup PROPERTIES FIXTURES_SETUP drives)
add_test(NAME drives_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tests/support/drives.sh cleanup ${CMAKE_BINARY_DIR})
set_tests_properties(drives_cleanup PROPERTIES FIXTURES_CLEANUP drives)
add_test(NAME wine_cleanup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh cleanup ${CMAKE_BINARY_DIR})
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)

# One test program per subsystem; each test case creates its own main window and folders.
# The tests' shared support, compiled once for every test program.
add_library(bivane_test_support STATIC tests/support/test_main.cpp tests/support/form_fixture.cpp)
target_include_directories(bivane_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bivane_test_support PUBLIC bivane_lib gtest)

function(bivane_win_test name)
    add_executable(${name} ${ARGN} resources/bivane.rc)
    target_link_libraries(${name} PRIVATE bivane_test_support)
    target_link_options(${name} PRIVATE -municode)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine;drives" TIMEOUT 600
        ENVIRONMENT "BIVANE_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

foreach(sub app panes tags fileops commands print find reliability)
    file(GLOB sub_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${sub}/*.cpp)
    list(FILTER sub_tests EXCLUDE REGEX "/recorder\\.cpp$")  # a program of its own, below
    if(sub_tests)
        bivane_win_test(${sub}_tests ${sub_tests})
    endif()
endforeach()

# The main window and the dialogs made on screens of 120, 144 and 192 DPI, each set in a prefix of
# the test's own (the ordinary prefix stays at 96 for every other test).
if(TARGET app_tests)
    add_test(NAME screen_dpi COMMAND bash ${CMAKE_SOURCE_DIR}/tests/app/screen_dpi.sh ${CMAKE_BINARY_DIR}
        $<TARGET_FILE:app_tests>)
    set_tests_properties(screen_dpi PROPERTIES TIMEOUT 900)
endif()

# Reliability: the fault tests share the file operation tests' helpers; a helper program copies
# a large file until the killed-copy test ends it; a setup step makes 100,000 files on the host,
# because making them through Wine takes most of an hour.
if(TARGET reliability_tests)
    target_sources(reliability_tests PRIVATE tests/fileops/fileops_support.cpp)
    add_executable(copy_victim tests/reliability/helpers/copy_victim.cpp resources/bivane.rc)
    target_link_libraries(copy_victim PRIVATE bivane_lib)
    target_link_options(copy_victim PRIVATE -municode)
    add_dependencies(reliability_tests copy_victim)
    add_test(NAME host_files_setup
        COMMAND ${CMAKE_SOURCE_DIR}/tests/reliability/host_files.sh setup ${CMAKE_BINARY_DIR} 100000)
    set_tests_properties(host_files_setup PROPERTIES FIXTURES_SETUP host_files FIXTURES_REQUIRED drives)
    add_test(NAME host_files_cleanup
        COMMAND ${CMAKE_SOURCE_DIR}/tests/reliability/host_files.sh cleanup ${CMAKE_BINARY_DIR})
    set_tests_properties(host_files_cleanup PROPERTIES FIXTURES_CLEANUP host_files)
    # The fault-injecting file system (scripts/faultfs), mounted as F: for the run.
    add_test(NAME faultfs_setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/faultfs/faultfs.sh setup ${CMAKE_BINARY_DIR})
    set_tests_properties(faultfs_setup PROPERTIES FIXTURES_SETUP faultfs FIXTURES_REQUIRED drives SKIP_RETURN_CODE 77)
    add_test(NAME faultfs_cleanup COMMAND ${CMAKE_SOURCE_DIR}/scripts/faultfs/faultfs.sh cleanup ${CMAKE_BINARY_DIR})
    set_tests_properties(faultfs_cleanup PROPERTIES FIXTURES_CLEANUP faultfs)
    set_tests_properties(reliability_tests PROPERTIES FIXTURES_REQUIRED "wine;drives;host_files;faultfs" TIMEOUT 1500)
    # What a user may not write, root may: those cases run again as another user (as_user.sh).
    add_test(NAME reliability_unprivileged COMMAND bash ${CMAKE_SOURCE_DIR}/tests/reliability/as_user.sh
        ${CMAKE_BINARY_DIR} $<TARGET_FILE:reliability_tests> "Unprivileged*")
    set_tests_properties(reliability_unprivileged PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# Benchmarks: built with everything, run by scripts/bench.sh; a smoke run of each at a tiny size
# is a test, so they cannot rot.
function(bivane_bench name)
    add_executable(${name} bench/${name}.cpp resources/bivane.rc)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE bivane_lib)
    target_link_options(${name} PRIVATE -municode)
    add_test(NAME ${name}_smoke COMMAND ${name} ${ARGN})
    set_tests_properties(${name}_smoke PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
        ENVIRONMENT "BIVANE_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()
bivane_bench(load_bench 300)
bivane_bench(sort_bench 200)
bivane_bench(tag_bench 200)
bivane_bench(compare_bench 2000)
bivane_bench(mem_bench 200)
bivane_bench(copy_bench 1 ${CMAKE_BINARY_DIR}/bench-smoke 20 tree:50)
bivane_bench(size_bench 200)
bivane_bench(follow_bench 10 300 200 3)
bivane_bench(find_bench 200 50 300)
bivane_bench(sync_bench 200 200 50 50 300)
# The reference programs for start-up, and start-up against them in the build folder.
add_executable(bare_window WIN32 bench/bare_window.cpp)
target_include_directories(bare_window PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(bare_window PRIVATE -municode)
add_executable(bare_enum bench/bare_enum.cpp)
target_include_directories(bare_enum PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(bare_enum PRIVATE -municode)
bivane_bench(startup_bench $<TARGET_FILE:bivane> $<TARGET_FILE:bare_window> $<TARGET_FILE:bare_enum>
    ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR} 1)

# recorder.exe: a small program the launch tests start in place of the viewer and of the
# programs a user starts; it writes down its command line, directory and start flags.
add_executable(recorder WIN32 tests/commands/recorder.cpp)
target_link_options(recorder PRIVATE -municode)
if(TARGET commands_tests)
    add_dependencies(commands_tests recorder)
endif()

# End to end: the real program under a virtual display, driven by xdotool; peek.exe reads its
# window texts from another process.
add_executable(peek tests/e2e/peek.cpp)
target_link_libraries(peek PRIVATE comctl32)
target_link_options(peek PRIVATE -municode -static)
add_test(NAME e2e COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.sh ${CMAKE_BINARY_DIR})
# Its own display and x11 prefix; one at a time, and a hung dialog ends in a failure.
set_tests_properties(e2e PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
# Nothing planted beside the programs or in the folder they start in runs: planted.dll, copied
# under the names of the libraries they load on first use, leaves a marker when loaded, and a
# recorder.exe named winhlp32.exe one when started.
add_library(planted SHARED tests/e2e/planted.c)
set_target_properties(planted PROPERTIES PREFIX "")
add_test(NAME planted COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/planted_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(planted PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)

# scripts/package.sh on a fresh copy of the repository: a Release build from nothing, then the zip.
add_test(NAME package_fresh COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/package_fresh_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(package_fresh PROPERTIES TIMEOUT 2400)

include(${CMAKE_SOURCE_DIR}/cmake/viewer.cmake)
