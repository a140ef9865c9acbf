# Lookup and sign-off dialogs, driven by keys on both backends.
corvane_add_test(test_lookups GUI SOURCES test_lookups.cpp LIBS corvane_testsupport corvane_lookups Qt6::Test)
corvane_add_test(test_signoff GUI SOURCES test_signoff.cpp LIBS corvane_testsupport corvane_signoff Qt6::Test)
