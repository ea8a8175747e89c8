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
    # AnyPOSPrinter picks one per OpenPort (the network link from its module).
    ${CMAKE_CURRENT_LIST_DIR}/PortNames.h
    ${CMAKE_CURRENT_LIST_DIR}/PortNames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/LinkPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UsbPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/UsbPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetLink.h
    ${CMAKE_CURRENT_LIST_DIR}/NetLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AnyPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/AnyPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/SerialPOSPrinter.cpp
    # The printer built into the program: the virtual printer in this process.
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/VirtualPOSPrinter.cpp
    # Running printer simulators announce themselves here; the port list reads it.
    ${CMAKE_CURRENT_LIST_DIR}/SimRegistry.h
    ${CMAKE_CURRENT_LIST_DIR}/SimRegistry.cpp
)

# The network link, on Qt Network, is a module the programs load when a
# network printer is first named (NetLink.h): Qt Network is not loaded at
# start-up. Its copy of the core's code stays its own (--exclude-libs).
add_library(marlix-netlink MODULE
    ${CMAKE_CURRENT_LIST_DIR}/NetPOSPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/NetPOSPrinter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetLinkModule.cpp
)
target_link_libraries(marlix-netlink PRIVATE marlix_core Qt6::Network)
target_compile_options(marlix-netlink PRIVATE -Wall -Wextra)
target_link_options(marlix-netlink PRIVATE -Wl,--exclude-libs,ALL)
set_target_properties(marlix-netlink PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
install(TARGETS marlix-netlink LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/rizeruzozo)
file(RELATIVE_PATH marlix_netlink_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/rizeruzozo)
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/NetLink.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS MARLIX_NETLINK_FROM_BIN="${marlix_netlink_from_bin}" MARLIX_NETLINK_BUILD_DIR="${CMAKE_BINARY_DIR}")
