target_sources(marlix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/POSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/Operator.h
    ${CMAKE_CURRENT_LIST_DIR}/EventPump.h
    ${CMAKE_CURRENT_LIST_DIR}/EventPump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TerminalView.h
    ${CMAKE_CURRENT_LIST_DIR}/Link.h
    ${CMAKE_CURRENT_LIST_DIR}/Link.cpp
)
target_sources(marlix_core PRIVATE
    # A port name says its link; the three links share LinkPOSPrinter, and
    # AnyPOSPrinter picks one per OpenPort.
    ${CMAKE_CURRENT_LIST_DIR}/PortNames.h
    ${CMAKE_CURRENT_LIST_DIR}/PortNames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/LinkPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UsbPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/UsbPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/NetPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AnyPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/AnyPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/SerialPOSPrinter.cpp
    # Running printer simulators announce themselves here; the port list reads it.
    ${CMAKE_CURRENT_LIST_DIR}/SimRegistry.h
    ${CMAKE_CURRENT_LIST_DIR}/SimRegistry.cpp
)
