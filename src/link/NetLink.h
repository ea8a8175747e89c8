#pragma once
// The network link (NetPOSPrinter, on Qt's network library) is a module of
// its own, marlix-netlink, loaded the first time a network printer is named:
// Qt Network and what it brings (Kerberos, the proxy library) take some
// 1.5 MiB from the start of every program that links them, and a session on
// a serial line or a USB printer never needs them.
#include "link/LinkPOSPrinter.h"

#include <memory>

// A network link from the module (loaded once, kept loaded); null, with
// *error saying why, when the module cannot be loaded.
std::unique_ptr<LinkPOSPrinter> makeNetworkLink(QString *error);

// The port list's entry for a network printer used before.
QString rememberedNetEntry(const QString &name);
