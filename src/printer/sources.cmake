# The virtual printer: identity, macro store and replies (Qt Core), and the
# paper side: receipt interpreter and renderer (Qt Gui images, libzint).
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PrinterModel.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterModel.cpp
)
