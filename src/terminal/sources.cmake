target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/QtOperator.h
    ${CMAKE_CURRENT_LIST_DIR}/QtOperator.cpp
)
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/KeyInput.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyInput.cpp
)
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/frmTerminal.h
    ${CMAKE_CURRENT_LIST_DIR}/frmTerminal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frmTerminalControls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TermDisplay.h
    ${CMAKE_CURRENT_LIST_DIR}/TermDisplay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/StartOptions.cpp
)
# The pass-through's old home: the name still reaches it from here.
target_sources(marlix_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughWatch.h
)
