// The printer's identity reply is outside input: any bytes must parse without
// fault, and an accepted reply must really name the model it was taken for.
#include "macros/Identity.h"
#include "macros/MacroCommands.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto model = Identity::parseIdentityReply(reply);
    if (model) {
        const qsizetype cmd = reply.indexOf("CMD");
        static const char *const names[] = {"T340QV", "MX2100", "MX2600"};
        const QByteArray name = reply.mid(cmd + 4, 6);
        if (reply.size() < 11 || cmd < 0 || name != names[int(*model)])
            std::abort();
    }
    const QByteArray shown = MacroCommands::listText(reply);
    if (shown.size() != std::max<qsizetype>(0, reply.size() - 2))
        std::abort();
    return 0;
}
