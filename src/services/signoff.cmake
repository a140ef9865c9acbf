# Lookups (the shared code search, the instrument and doctor searches) and the sign-off dialogs.
# Shared, so that the one sign-off dialog a thread keeps is the same for every screen library.
add_library(corvane_lookups SHARED
  lookups/dialogsupport.cpp
  lookups/dialogsupport.h
  lookups/searchcode.cpp
  lookups/searchcode.h
  lookups/frmsearchinstrument.cpp
  lookups/frmsearchinstrument.h
  lookups/frmsearchinstrument.ui
  lookups/frmsearchpatho.cpp
  lookups/frmsearchpatho.h
  lookups/frmsearchpatho.ui
)
target_include_directories(corvane_lookups PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(corvane_lookups
  PUBLIC corvane_common corvane_session corvane_db corvane_ui Qt6::Widgets)

add_library(corvane_signoff SHARED
  signoff/frmlistmedtech.cpp
  signoff/frmlistmedtech.h
  signoff/frmlistmedtech.ui
  signoff/frmmedtech.cpp
  signoff/frmmedtech.h
  signoff/frmmedtech.ui
)
target_include_directories(corvane_signoff PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(corvane_signoff
  PUBLIC corvane_common corvane_lookups corvane_session corvane_db corvane_ui Qt6::Widgets)
