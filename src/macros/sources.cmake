target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Identity.h
    ${CMAKE_CURRENT_LIST_DIR}/Identity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacroCommands.h
    ${CMAKE_CURRENT_LIST_DIR}/MacroCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacroController.h
    ${CMAKE_CURRENT_LIST_DIR}/MacroController.cpp
)
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/frmMacro.h
    ${CMAKE_CURRENT_LIST_DIR}/frmMacro.cpp
)
