# Lookup and sign-off dialogs, driven by keys on both backends.
corvane_add_test(test_lookups SOURCES test_lookups.cpp ${PROJECT_SOURCE_DIR}/tests/host/guiapp.cpp
  LIBS corvane_testsupport corvane_lookups Qt6::Test)
corvane_add_test(test_signoff SOURCES test_signoff.cpp ${PROJECT_SOURCE_DIR}/tests/host/guiapp.cpp
  LIBS corvane_testsupport corvane_signoff Qt6::Test)
