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
    ${CMAKE_CURRENT_LIST_DIR}/StartOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/StartOptions.cpp
)
# What passes between a point-of-sale program and its printer, shown as the terminal's own traffic.
target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughWatch.h
    ${CMAKE_CURRENT_LIST_DIR}/PassThroughWatch.cpp
)
