target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MacroController.h
    ${CMAKE_CURRENT_LIST_DIR}/MacroController.cpp
)
