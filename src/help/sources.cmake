target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HelpDocs.h
    ${CMAKE_CURRENT_LIST_DIR}/HelpDocs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frmAbout.h
    ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp
)
# The installed help documents, seen from the installed program.
file(RELATIVE_PATH marlix_docdir_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DOCDIR})
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/HelpDocs.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS MARLIX_DOCDIR_FROM_BIN="${marlix_docdir_from_bin}")
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS MARLIX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    MARLIX_VERSION_MINOR=${PROJECT_VERSION_MINOR} MARLIX_VERSION_PATCH=${PROJECT_VERSION_PATCH})
qt_add_resources(marlix_ui marlix_icons PREFIX / BASE ${PROJECT_SOURCE_DIR}/packaging
    FILES ${PROJECT_SOURCE_DIR}/packaging/rizeruzozo-128.png)
