# The printer as a device: its state (cover, paper, drawers), status replies,
# the macro store and identity, and the VirtualPrinter that joins them to the paper.
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MacroStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MacroStore.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterState.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrinterState.h
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPrinterActions.cpp
)
