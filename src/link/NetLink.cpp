#include "link/NetLink.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

namespace {
using MakeLink = LinkPOSPrinter *(*)();

// Beside the installed program first, then in the build tree (the build's
// own programs and tests); the build tree's programs never take an installed copy.
QStringList candidates()
{
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/" MARLIX_NETLINK_FROM_BIN "/marlix-netlink"),
            QStringLiteral(MARLIX_NETLINK_BUILD_DIR "/marlix-netlink")};
}
} // namespace

std::unique_ptr<LinkPOSPrinter> makeNetworkLink(QString *error)
{
    static MakeLink make = nullptr;
    static QString failure;
    if (!make && failure.isEmpty()) {
        QStringList reasons;
        for (const QString &name : candidates()) {
            auto *module = new QLibrary(name); // kept: the links it makes use its code
            if (module->load()) {
                make = reinterpret_cast<MakeLink>(module->resolve("marlixMakeNetworkLink"));
                if (make)
                    break;
            }
            reasons << module->errorString();
            delete module;
        }
        if (!make)
            failure = QStringLiteral("the network link (marlix-netlink) cannot be loaded: ") + reasons.join(QStringLiteral("; "));
    }
    if (!make) {
        *error = failure;
        return nullptr;
    }
    return std::unique_ptr<LinkPOSPrinter>(make());
}

QString rememberedNetEntry(const QString &name)
{
    return name + QStringLiteral("\tNetwork printer (used before)");
}
