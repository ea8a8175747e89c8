# The virtual printer: identity, macro store, its state and replies, and the
# device that joins them (Qt Core); the paper side: receipt interpreter and
# renderer (Qt Gui images, libzint symbols).
target_sources(marlix_printer PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PrinterModel.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrinterState.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterState.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPrinterActions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Receipt.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptInterpreter.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptInterpreter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptImages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptSymbols.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptParts.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandFramer.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandFramer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptTracing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandTrace.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandTrace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrinterCommands.h
    ${CMAKE_CURRENT_LIST_DIR}/PrinterCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandWords.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandWords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptRenderer.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptRenderer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptFaces.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptFaces.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CodePages.h
    ${CMAKE_CURRENT_LIST_DIR}/CodePages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Characters.h
    ${CMAKE_CURRENT_LIST_DIR}/Characters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptCharacters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Symbols.h
    ${CMAKE_CURRENT_LIST_DIR}/Symbols.cpp
)
