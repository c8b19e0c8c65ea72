# Window-free rules: built into bivane.exe and, natively, into the sanitizer test program.
set(BIVANE_RULES_SOURCES
    src/core/wtf8.cpp
    src/core/entry.cpp
    src/core/paths.cpp
    src/core/errors.cpp
    src/core/stoppable.cpp
    src/panes/entry_rules.cpp
    src/panes/shorten_path.cpp
    src/panes/column_rules.cpp
    src/app/layout_rules.cpp
    src/controls/share_rules.cpp
    src/fileops/copy_rules.cpp
    src/fileops/folder_copy_rules.cpp
    src/panes/sort_rules.cpp
    src/panes/name_changes.cpp
    src/panes/folder_size_rules.cpp
    src/tags/tag_rules.cpp
    src/tags/compare_rules.cpp
    src/print/print_rules.cpp
    src/find/find_rules.cpp
    src/sync/sync_rules.cpp
)
set(BIVANE_RULES_TESTS
    tests/rules/wtf8_test.cpp
    tests/rules/entry_rules_test.cpp
    tests/rules/shorten_path_test.cpp
    tests/rules/layout_rules_test.cpp
    tests/rules/errors_test.cpp
    tests/rules/stoppable_test.cpp
    tests/rules/copy_rules_test.cpp
    tests/rules/sort_rules_test.cpp
    tests/rules/name_changes_test.cpp
    tests/rules/folder_size_rules_test.cpp
    tests/rules/tag_rules_test.cpp
    tests/rules/compare_rules_test.cpp
    tests/rules/print_rules_test.cpp
    tests/rules/find_rules_test.cpp
    tests/rules/sync_rules_test.cpp
)
# The viewer's (BVLIST.EXE) window-free rules and their tests.
list(APPEND BIVANE_RULES_SOURCES src/viewer/text_rules.cpp src/viewer/search_rules.cpp src/viewer/command_rules.cpp
    src/viewer/scan_rules.cpp src/viewer/goto_rules.cpp)
list(APPEND BIVANE_RULES_TESTS tests/rules/viewer_text_test.cpp tests/rules/viewer_search_test.cpp
    tests/rules/viewer_command_test.cpp tests/rules/viewer_scan_test.cpp)
