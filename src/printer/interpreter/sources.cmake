# Bytes to paper: the interpreter takes the reader's commands and lays out
# receipts (text, images, symbols, graphics, page mode, NV graphics).
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/NvGraphics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NvGraphics.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptCharacters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptGraphics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptImages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptInterpreter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptInterpreter.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptModes.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptParts.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptSymbols.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptSymbols2D.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptTracing.cpp
)
