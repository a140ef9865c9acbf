corvane_add_test(test_services_logbook SOURCES test_logbook.cpp LIBS corvane_testsupport corvane_services)
corvane_add_test(test_services_reagents SOURCES test_reagents.cpp ../host/guiapp.cpp
  LIBS corvane_testsupport corvane_services)
