target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HelpDocs.h
    ${CMAKE_CURRENT_LIST_DIR}/HelpDocs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frmAbout.h
    ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp
)
