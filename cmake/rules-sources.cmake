# Window-free rules: built into bivane.exe and, natively, into the sanitizer test program.
set(BIVANE_RULES_SOURCES
    src/panes/entry_rules.cpp
    src/panes/shorten_path.cpp
    src/app/layout_rules.cpp
    src/app/errors.cpp
)
set(BIVANE_RULES_TESTS
    tests/rules/entry_rules_test.cpp
    tests/rules/shorten_path_test.cpp
    tests/rules/layout_rules_test.cpp
    tests/rules/errors_test.cpp
)
