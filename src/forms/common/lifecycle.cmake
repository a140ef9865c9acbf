# The result-entry screens' shared life and the screens of this folder. Shared, so that the
# component and the tools that drive its screens directly see one copy.
add_library(corvane_forms SHARED
  ${CMAKE_CURRENT_LIST_DIR}/screentraits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenroutines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/requestheader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/requestheader.ui
  ${CMAKE_CURRENT_LIST_DIR}/resultform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultflags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/deltacheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmcriticalcall.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmcriticalcall.ui
  ${CMAKE_CURRENT_LIST_DIR}/draft.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pastelimit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resultfields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picklists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/normalvalues.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checkgroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conforme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmaptt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmaptt.ui
  ${CMAKE_CURRENT_LIST_DIR}/frmabg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmabg.ui
  ${CMAKE_CURRENT_LIST_DIR}/screens.cpp
)
target_include_directories(corvane_forms PUBLIC ${PROJECT_SOURCE_DIR}/src)
# The controls are linked in once, here: a second static copy in a program that also loads this
# library would give their classes two meta-objects.
target_link_libraries(corvane_forms PUBLIC corvane_common corvane_session corvane_ui corvane_services
                      corvane_signoff corvane_reports Qt6::Widgets
                      PRIVATE corvane_grdentry corvane_controls)
target_include_directories(corvane_forms PUBLIC ${PROJECT_SOURCE_DIR}/platform/controls)
