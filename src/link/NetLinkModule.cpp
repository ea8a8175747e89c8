// The entry of the marlix-netlink module (see NetLink.h).
#include "link/NetPOSPrinter.h"

extern "C" Q_DECL_EXPORT LinkPOSPrinter *marlixMakeNetworkLink()
{
    return new NetPOSPrinter;
}
