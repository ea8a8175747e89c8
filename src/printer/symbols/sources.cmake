# Barcodes, QR codes and the other symbols as modules; libzint stays in here.
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Symbols.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Symbols.h
    ${CMAKE_CURRENT_LIST_DIR}/Symbols2D.cpp
)
