# The services every result screen saves through: the result logbook and the reagent posting.
add_library(corvane_services STATIC
  logbook.cpp
  reagents.cpp
)
target_include_directories(corvane_services PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(corvane_services PUBLIC corvane_common corvane_session corvane_ui Qt6::Widgets)
