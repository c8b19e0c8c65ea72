# Native build of the window-free rules, tested under AddressSanitizer and UBSan.
find_package(GTest REQUIRED)
set(SAN -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_library(bivane_rules_native STATIC ${BIVANE_RULES_SOURCES})
target_include_directories(bivane_rules_native PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(bivane_rules_native PUBLIC ${SAN} -Wall -Wextra)
target_link_options(bivane_rules_native PUBLIC ${SAN})

add_executable(rules_tests ${BIVANE_RULES_TESTS})
target_link_libraries(rules_tests PRIVATE bivane_rules_native GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(rules_tests)
