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
    // The module, once loaded, is kept for the program's life (the links it
    // makes run its code) and held here, where it stays reachable.
    static QLibrary *module = nullptr;
    static MakeLink make = nullptr;
    static QString failure;
    if (!module && failure.isEmpty()) {
        QStringList reasons;
        for (const QString &name : candidates()) {
            auto library = std::make_unique<QLibrary>(name);
            if (library->load()) {
                make = reinterpret_cast<MakeLink>(library->resolve("marlixMakeNetworkLink"));
                if (make) {
                    module = library.release();
                    break;
                }
            }
            reasons << library->errorString();
        }
        if (!module)
            failure = QStringLiteral("the network link (marlix-netlink) cannot be loaded: ") + reasons.join(QStringLiteral("; "));
    }
    if (!module) {
        *error = failure;
        return nullptr;
    }
    return std::unique_ptr<LinkPOSPrinter>(make());
}

QString rememberedNetEntry(const QString &name)
{
    return name + QStringLiteral("\tNetwork printer (used before)");
}
