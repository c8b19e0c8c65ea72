# Native build of the window-free rules, tested under AddressSanitizer and UBSan.
find_package(GTest REQUIRED)
set(SAN -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_library(bivane_rules_native STATIC ${BIVANE_RULES_SOURCES})
target_include_directories(bivane_rules_native PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(bivane_rules_native PUBLIC ${SAN} ${BIVANE_WARNING_FLAGS})
target_link_options(bivane_rules_native PUBLIC ${SAN})

add_executable(rules_tests ${BIVANE_RULES_TESTS})
target_link_libraries(rules_tests PRIVATE bivane_rules_native GTest::gtest_main)
target_include_directories(rules_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
include(GoogleTest)
gtest_discover_tests(rules_tests)

# libFuzzer targets for the readers of texts and the path, sort, comparison and print helpers,
# and the viewer's reading of any bytes (clang only; scripts/fuzz.sh builds them in build/fuzz and runs each for a while).
option(BIVANE_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(BIVANE_FUZZ)
    target_compile_options(bivane_rules_native PUBLIC -fsanitize=fuzzer-no-link)
    foreach(target entry_texts shorten_path sort_compare print_lines viewer_text viewer_search)
        add_executable(fuzz_${target} tests/fuzz/fuzz_${target}.cpp)
        target_link_libraries(fuzz_${target} PRIVATE bivane_rules_native)
        target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
        target_include_directories(fuzz_${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    endforeach()
endif()
